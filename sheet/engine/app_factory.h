#pragma once

// The class factory: how the program gets a spreadsheet instance. Tests
// install their own factory to make creation fail or to present a running instance.

#include <memory>

namespace sheet {

class SpreadsheetApp;

class AppFactory {
public:
    virtual ~AppFactory() = default;
    // A new instance ("create"). Throws std::runtime_error when none can be made.
    virtual std::shared_ptr<SpreadsheetApp> create() = 0;
    // The running instance ("attach"). Throws std::runtime_error when there is none.
    virtual std::shared_ptr<SpreadsheetApp> attach() = 0;
};

// The engine's own factory. "attach" gives the oldest instance this process created
// that is still referenced and has not quit.
AppFactory& engineFactory();
// The factory the program uses; the engine's own unless a test installed another.
AppFactory& appFactory();
// Installs f (not owned); nullptr restores the engine's own factory.
void setAppFactory(AppFactory* f);

} // namespace sheet
