#pragma once

// A window's mouse pointer, under the codes the program has always given them.
enum class MousePointer { Default = 0, Hourglass = 11, Custom = 99 };
