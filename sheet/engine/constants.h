#pragma once

// Numeric constants of the spreadsheet object model, under the names callers
// of an automated spreadsheet know them by.

namespace sheet::om {

// Borders(edge)
inline constexpr int xlDiagonalDown = 5;
inline constexpr int xlDiagonalUp = 6;
inline constexpr int xlEdgeLeft = 7;
inline constexpr int xlEdgeTop = 8;
inline constexpr int xlEdgeBottom = 9;
inline constexpr int xlEdgeRight = 10;
inline constexpr int xlInsideVertical = 11;
inline constexpr int xlInsideHorizontal = 12;

// Border LineStyle
inline constexpr int xlContinuous = 1;
inline constexpr int xlDashDot = 4;
inline constexpr int xlDashDotDot = 5;
inline constexpr int xlSlantDashDot = 13;
inline constexpr int xlDash = -4115;
inline constexpr int xlDot = -4118;
inline constexpr int xlDouble = -4119;
inline constexpr int xlLineStyleNone = -4142;

// Border Weight
inline constexpr int xlHairline = 1;
inline constexpr int xlThin = 2;
inline constexpr int xlMedium = -4138;
inline constexpr int xlThick = 4;

// ColorIndex
inline constexpr int xlColorIndexAutomatic = -4105;
inline constexpr int xlColorIndexNone = -4142;
inline constexpr int xlNone = -4142;

// PageSetup
inline constexpr int xlPortrait = 1;
inline constexpr int xlLandscape = 2;
inline constexpr int xlPaperLetter = 1;
inline constexpr int xlPaperA4 = 9;
inline constexpr int xlPrintNoComments = -4142;
inline constexpr int xlPrintSheetEnd = 1;
inline constexpr int xlPrintInPlace = 16;

// Application.Cursor
inline constexpr int xlNorthwestArrow = 1;
inline constexpr int xlWait = 2;
inline constexpr int xlIBeam = 3;
inline constexpr int xlDefault = -4143;

// Application.EnableCancelKey
inline constexpr int xlDisabled = 0;
inline constexpr int xlInterrupt = 1;
inline constexpr int xlErrorHandler = 2;

// Workbook.SaveAs FileFormat
inline constexpr int xlExcel8 = 56;
inline constexpr int xlWorkbookNormal = -4143;

} // namespace sheet::om
