#include "sheet/engine/app_factory.h"

#include "sheet/engine/spreadsheet_app.h"

#include <stdexcept>

namespace sheet {
namespace {

class EngineFactory : public AppFactory {
public:
    std::shared_ptr<SpreadsheetApp> create() override { return std::make_shared<SpreadsheetApp>(); }
    std::shared_ptr<SpreadsheetApp> attach() override {
        throw std::runtime_error("ActiveX component can't create object");
    }
};

AppFactory* gInstalled = nullptr;

} // namespace

AppFactory& appFactory() {
    static EngineFactory engine;
    return gInstalled ? *gInstalled : engine;
}

void setAppFactory(AppFactory* f) {
    gInstalled = f;
}

} // namespace sheet
