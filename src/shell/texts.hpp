// The program's own texts and the settings dialog's layout.
#pragma once

#include <array>

namespace rovanel {

inline constexpr const char* kAppTitle = "Rovanel";
inline constexpr const char* kVersion = ROVANEL_VERSION;
inline constexpr const char* kPasswordMessage = "パスワードには対応していませんm(_ _)m";
inline constexpr const char* kSaverCaption = "巡回セールスマン問題";

// frmTspConf, in twips (15 to a pixel at 96 dpi).
inline constexpr int kTwipsPerPixel = 15;
constexpr int twips_to_pixels(int twips) {
  return twips / kTwipsPerPixel;
}

enum class ControlKind { kButton, kLabel };

struct Control {
  const char* name;
  ControlKind kind;
  const char* text;
  int left, top, width, height;  // twips, in the client area
};

struct Dialog {
  const char* caption;
  int client_width, client_height;  // twips
  std::array<Control, 5> controls;  // in tab order; the focus starts on the first
};

inline constexpr Dialog frmTspConf = {
    "巡回セールスマン問題設定画面",
    5100,
    3690,
    {{
        {"cmdOk", ControlKind::kButton, "OK", 1800, 2880, 1095, 375},
        {"cmdCancel", ControlKind::kButton, "Cancel", 3240, 2880, 1215, 375},
        {"lblComment", ControlKind::kLabel, "設定はありません。", 1560, 1320, 2535, 375},
        {"lblTsp", ControlKind::kLabel, "巡回セールスマン問題", 840, 120, 2775, 735},
        {"lblName", ControlKind::kLabel, "Rovanel " ROVANEL_VERSION, 2160, 2040, 1815, 495},
    }},
};

}  // namespace rovanel
