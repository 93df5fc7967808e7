#pragma once

// How a generation reaches the windows: the main window's pointer and hiding,
// and the preview window, which is created the first time a generation refers
// to its picture box, as loading any window on first reference does.

#include "sheet/report/report_driver.h"

#include <memory>

class Form1;
class Form2;

class PreviewHandOver : public ReportWindows {
public:
    explicit PreviewHandOver(Form1& main);
    ~PreviewHandOver() override;

    void setMainMousePointer(MousePointer pointer) override;
    void loadPreviewPicture(const QString& path) override;
    void setPreviewExcelFile(const QString& path) override;
    void showPreview() override;
    void hideMain() override;

    // The preview window, loading it on first use.
    Form2& preview();
    // The preview window when it has been loaded, else nullptr.
    Form2* loadedPreview() const { return mPreview.get(); }

private:
    Form1& mMain;
    std::unique_ptr<Form2> mPreview;
};
