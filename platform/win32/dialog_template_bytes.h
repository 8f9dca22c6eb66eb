// The Win32 in-memory dialog templates (DLGTEMPLATE and DLGTEMPLATEEX) built
// from the one template table in resources/, and the dialogs' other Win32
// encodings that do not need the system to compute.
//
// Nothing here includes <windows.h>: the values are the Win32 headers' own
// (the Windows backend checks each against the headers at compile time), so
// the layout is built and tested on any host.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_dialog.h"
#include "resources/dialog_templates.h"

namespace win32 {

// Window, dialog and control styles.
inline constexpr std::uint32_t WsPopup = 0x80000000;
inline constexpr std::uint32_t WsChild = 0x40000000;
inline constexpr std::uint32_t WsVisible = 0x10000000;
inline constexpr std::uint32_t WsCaption = 0x00C00000;
inline constexpr std::uint32_t WsBorder = 0x00800000;
inline constexpr std::uint32_t WsVScroll = 0x00200000;
inline constexpr std::uint32_t WsSysMenu = 0x00080000;
inline constexpr std::uint32_t WsMinimizeBox = 0x00020000;
inline constexpr std::uint32_t WsMaximizeBox = 0x00010000;
inline constexpr std::uint32_t WsTabStop = 0x00010000;
inline constexpr std::uint32_t DsSetFont = 0x0040;
inline constexpr std::uint32_t DsModalFrame = 0x0080;

inline constexpr std::uint32_t BsPushButton = 0x0000;
inline constexpr std::uint32_t BsAutoCheckBox = 0x0003;
inline constexpr std::uint32_t BsRadioButton = 0x0004;
inline constexpr std::uint32_t BsGroupBox = 0x0007;
inline constexpr std::uint32_t BsMultiLine = 0x2000;

inline constexpr std::uint32_t EsLeft = 0x0000;
inline constexpr std::uint32_t EsMultiLine = 0x0004;
inline constexpr std::uint32_t EsUpperCase = 0x0008;
inline constexpr std::uint32_t EsAutoVScroll = 0x0040;
inline constexpr std::uint32_t EsAutoHScroll = 0x0080;
inline constexpr std::uint32_t EsNumber = 0x2000;

inline constexpr std::uint32_t SsLeft = 0x0000;
inline constexpr std::uint32_t SsCenter = 0x0001;
inline constexpr std::uint32_t SsCenterImage = 0x0200;

inline constexpr std::uint32_t CbsDropDown = 0x0002;

// Predefined window classes, as a template names them by ordinal.
inline constexpr std::uint16_t ButtonClassOrdinal = 0x0080;
inline constexpr std::uint16_t EditClassOrdinal = 0x0081;
inline constexpr std::uint16_t StaticClassOrdinal = 0x0082;
inline constexpr std::uint16_t ComboBoxClassOrdinal = 0x0085;
inline constexpr std::string_view ProgressBarClassName = "msctls_progress32";

// The character set byte of an extended template's font: DEFAULT_CHARSET.
inline constexpr std::uint8_t DefaultCharset = 1;

// Message box icons.
inline constexpr std::uint32_t MbOk = 0x00000000;
inline constexpr std::uint32_t MbIconError = 0x00000010;
inline constexpr std::uint32_t MbIconWarning = 0x00000030;
inline constexpr std::uint32_t MbIconInformation = 0x00000040;

std::uint32_t controlWindowStyle(const ControlTemplate& control);
std::uint32_t dialogWindowStyle(const DialogTemplate& dialog);

// The whole in-memory template: DLGTEMPLATEEX when the table asks for the
// extended format, DLGTEMPLATE otherwise.  Every item starts on a 4-byte
// boundary counted from the first byte; the buffer itself comes from the
// heap, which aligns it at least that far.
std::vector<std::uint8_t> buildDialogTemplate(const DialogTemplate& dialog);

std::uint32_t messageBoxFlags(MessageIcon icon);

// The filter list of the common file dialogs: pairs of description and
// pattern, each ended by a NUL, the list ended by one more.
std::string fileDialogFilter(std::span<const FileFilter> filters);

}  // namespace win32
