#pragma once

// The launcher's pictures, drawn by code into 24-bit images of their exact size,
// times `scale` device pixels a side for high-DPI screens.

#include <QFont>
#include <QImage>
#include <QString>

// The lettering of the launcher's two buttons, drawn in the Song face.
inline constexpr char kMenuButtonText[] = "菜单";
inline constexpr char kHideButtonText[] = "隐藏窗口";

namespace artwork {

// Top strip: 30 rows high, the three pictures share the same rows.
QImage TitlePicture(int scale = 1);  // Image2, 148 x 30, the script title and the rounded corner
QFont TitleFont();
QImage MinimizePicture(int scale = 1);  // Image5, 18 x 30, the minimize dash
QImage ClosePicture(int scale = 1);     // Image6, 21 x 30, the close ring and cross

// Bottom strip: 24 rows high, the last one falls outside the window.
QImage OrnamentPicture(int scale = 1);    // Image1, 43 x 24, the knob and capsule
QImage MenuButtonPicture(int scale = 1);  // Image3, 47 x 24, "菜单"
QImage HideButtonPicture(int scale = 1);  // Image4, 95 x 24, "隐藏窗口"

// A category bar, 171 x 20: plain (regular text) or the page's own (bold).
QImage CategoryBarPicture(const QString& title, bool own, int scale = 1);

// Three blue figures on an oval disc: the 38 x 38 icon and the About box's 65 x 65.
QImage ProgramIcon();
QImage AboutPicture(int scale = 1);

// The OK button's green check mark, 16 x 16 on a transparent ground.
QImage CheckMarkGlyph(int scale = 1);

// The prompt's question icon, 32 x 32, on a transparent ground.
QImage QuestionIcon(int scale = 1);

// Device pixels to a picture pixel on the sharpest screen: 1, or 2 at 200 %.
int ScreenScale();

}  // namespace artwork
