#pragma once
#include <string>

#include "engine/EngineContext.h"

// Makes the form the printer's default paper and writes its tray tables; reports nothing.
void SetPaperForm(const EngineContext& context, std::string printerName, std::string formName);
