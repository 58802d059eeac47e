#include "Fonts.h"

#include <cwchar>
#include <map>

namespace quill::win {

namespace {

LOGFONTW MessageLogFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return metrics.lfMessageFont;
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

HFONT Variant(LONG weight, int heightPercent) {
  LOGFONTW font = MessageLogFont();
  font.lfWeight = weight;
  font.lfHeight = MulDiv(font.lfHeight, heightPercent, 100);
  return CreateFontIndirectW(&font);
}

}  // namespace

HFONT MessageFont() {
  static const HFONT font = Variant(FW_NORMAL, 100);
  return font;
}

HFONT BoldFont() {
  static const HFONT font = Variant(FW_BOLD, 100);
  return font;
}

void SetFont(HWND child, HFONT font) {
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

HWND StockIconPicture(HWND parent, LPCWSTR icon) {
  return IconPicture(parent, LoadIconW(nullptr, icon));
}

HWND IconPicture(HWND parent, HICON icon) {
  HWND picture = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0, 0, 0,
                                 parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  return picture;
}

HFONT HeadingFont() {
  static const HFONT font = Variant(FW_BOLD, 150);
  return font;
}

HFONT StyledFont(bool bold, bool italic, bool underline) {
  static std::map<int, HFONT> fonts;
  HFONT& font = fonts[(bold ? 1 : 0) | (italic ? 2 : 0) | (underline ? 4 : 0)];
  if (!font) {
    LOGFONTW style = MessageLogFont();
    style.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    style.lfItalic = italic;
    style.lfUnderline = underline;
    font = CreateFontIndirectW(&style);
  }
  return font;
}

HFONT MonoFont() {
  static const HFONT font = [] {
    LOGFONTW font = MessageLogFont();
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy_s(font.lfFaceName, L"Courier New");
    return CreateFontIndirectW(&font);
  }();
  return font;
}

HICON ProgramIcon(int size) {
  static std::map<int, HICON> icons;
  HICON& icon = icons[size];
  if (!icon)
    icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
  return icon;
}

}  // namespace quill::win
