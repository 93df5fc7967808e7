#pragma once

// State of one engine instance, shared by the instance and every object it
// hands out, so that a handle outliving its instance fails cleanly.

#include "sheet/model/workbook.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace sheet::om::detail {

struct Book {
    std::unique_ptr<sheet::Workbook> model;
    std::string fullName; // path after SaveAs or Open; empty for a new workbook
    std::string name;     // "Book1", or the file name
};

struct Core {
    bool quit = false;
    bool screenUpdating = true;
    bool displayAlerts = true;
    bool enableEvents = true;
    bool visible = false; // an instance made through the factory starts hidden
    int enableCancelKey = 1;
    int cursor = -4143;
    int booksAdded = 0;
    std::vector<std::unique_ptr<Book>> books;
    Book* active = nullptr;

    void check() const {
        if (quit)
            throw std::runtime_error("The spreadsheet instance has quit and can no longer be used");
    }
    bool owns(const Book* book) const {
        for (const auto& b : books)
            if (b.get() == book)
                return true;
        return false;
    }
    Book& activeBook() {
        check();
        if (!active)
            throw std::runtime_error("Object variable not set: no workbook is open");
        return *active;
    }
};

} // namespace sheet::om::detail
