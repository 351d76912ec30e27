#pragma once
// The plug-in's private section of the device mode: conversion of an incoming section, and the
// driver core's DevMode call.
#include <cstdint>

#include "platform/Win32Types.h"
#include "platform/plugin/OemUiAbi.h"
#include "settingsfile/OemPrivateDevmode.h"

namespace uiplugin {

using settingsfile::DefaultLineFeeds;
using settingsfile::DefaultOemPrivateDevmode;
using settingsfile::DefaultXCompression;
using settingsfile::MaxLineFeeds;
using settingsfile::OemDevmodeVersion;
using settingsfile::OemPrivateDevmode;
using settingsfile::OemSignature;
using settingsfile::ValidateOemPrivateDevmode;

// Converts the caller's section `in` into `out` (20 writable bytes), then lets the printer's data
// override the two settings. `in` holds its own dwSize bytes, at least the 4 of dwSize: the driver
// core finds sections by that size. Nothing past min(dwSize, 20) bytes of it is read. Records need not
// be aligned. False, with nothing changed, when either is null.
bool ConvertOemPrivateDevmode(const void* in, void* out, const oemui::OEMDMPARAM& param);

// IPrintOemUI::DevMode.
oemui::HRESULT DevMode(platform::DWORD mode, oemui::OEMDMPARAM* param);

}  // namespace uiplugin
