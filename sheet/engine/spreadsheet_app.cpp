#include "sheet/engine/spreadsheet_app.h"
