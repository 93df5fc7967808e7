#include "phonelist/window/report_windows.h"

#include "phonelist/window/main_window.h"
#include "preview/preview_window.h"

PreviewHandOver::PreviewHandOver(Form1& main) : mMain(main) {}

PreviewHandOver::~PreviewHandOver() = default;

Form2& PreviewHandOver::preview() {
    if (!mPreview) {
        // A window of its own, with no owner: hiding the main window leaves it shown.
        mPreview = std::make_unique<Form2>();
        mPreview->setMainWindow(&mMain);
        // Closing the preview ends the program without the main window's closing
        // steps, so the list is stored here exactly as those steps store it.
        Form1* main = &mMain;
        mPreview->beforeProgramEnds = [main] { main->Form_QueryUnload(); };
    }
    return *mPreview;
}

void PreviewHandOver::setMainMousePointer(MousePointer pointer) {
    mMain.setMousePointer(pointer);
}

void PreviewHandOver::loadPreviewPicture(const QString& path) {
    // The window loads before the picture is read, even when the file is missing.
    Form2& window = preview();
    window.loadPictureFile(path);
}

void PreviewHandOver::setPreviewExcelFile(const QString& path) {
    preview().mExcelFile = path;
}

void PreviewHandOver::showPreview() {
    preview().show();
}

void PreviewHandOver::hideMain() {
    mMain.hide();
}
