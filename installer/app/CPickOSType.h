#pragma once
#include "AppContext.h"
#include "ui/Dialog.h"

enum OsKind : std::int32_t;

// Asks the user for the operating system when the version query cannot tell it.
class CPickOSType : public ui::Dialog {
public:
  explicit CPickOSType(AppContext& context, ui::Dialog* parent = nullptr);

  bool OnInitDialog() override;
  void OnOK() override;

  // Set only by OK; stays kOsUnknown when the dialog is closed otherwise.
  OsKind osKind;
};
