#include "sheet/engine/app_factory.h"

#include "sheet/engine/spreadsheet_app.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace sheet {
namespace {

// Instances this process created, oldest first; "attach" finds a live one here
// the way a lookup of the running application would.
struct Registry {
    std::mutex mutex;
    std::vector<std::weak_ptr<SpreadsheetApp>> instances;
};

Registry& registry() {
    static Registry r;
    return r;
}

class EngineFactory : public AppFactory {
public:
    std::shared_ptr<SpreadsheetApp> create() override {
        auto app = std::make_shared<SpreadsheetApp>();
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        std::erase_if(r.instances, [](const auto& w) { return w.expired(); });
        r.instances.push_back(app);
        return app;
    }

    std::shared_ptr<SpreadsheetApp> attach() override {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        for (const auto& w : r.instances)
            if (auto app = w.lock(); app && !app->hasQuit())
                return app;
        throw std::runtime_error("ActiveX component can't create object: no spreadsheet instance is running");
    }
};

AppFactory* gInstalled = nullptr;

} // namespace

AppFactory& engineFactory() {
    static EngineFactory engine;
    return engine;
}

AppFactory& appFactory() {
    return gInstalled ? *gInstalled : engineFactory();
}

void setAppFactory(AppFactory* f) {
    gInstalled = f;
}

} // namespace sheet
