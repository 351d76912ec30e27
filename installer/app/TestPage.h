#pragma once
#include <string>

#include "AppContext.h"
#include "ui/Dialog.h"

// "Do you want to print a test page?" (template 167): "Yes" ends it with 1, "Cancel" with 2.
class CTestPage : public ui::Dialog {
public:
  explicit CTestPage(AppContext& context);
};

// Prints the test page on the printer through the graphics interface. When the printer, its
// record or its device context cannot be had, says so in a message box owned by `owner`.
void PrintTestPage(AppContext& context, ui::Dialog* owner, const std::string& printerName);

// Sends the printer the raw settings command 1D F9 2C 00. True only when all four bytes were
// written; failures go to the error log, never to the user.
[[nodiscard]] bool DisableLowPaper(AppContext& context, const std::string& printerName);

// Asks the test-page question with no parent and prints the page on "Yes".
void OfferTestPage(AppContext& context, ui::Dialog* owner, const std::string& printerName);
