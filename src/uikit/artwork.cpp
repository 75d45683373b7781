#include "uikit/artwork.h"

#include "uikit/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace artwork {
namespace {

const QColor kNavy(57, 58, 110);
const QColor kWhite(255, 255, 255);

QColor Mix(const QColor& from, const QColor& to, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                          float(from.greenF() + (to.greenF() - from.greenF()) * t),
                          float(from.blueF() + (to.blueF() - from.blueF()) * t));
}

// Painters work in picture pixels; a high-DPI screen shows it at full resolution.
QImage NewPicture(int width, int height, int scale, const QColor& fill = kWhite) {
  QImage image(width * scale, height * scale, QImage::Format_RGB888);
  image.setDevicePixelRatio(scale);
  image.fill(fill);
  return image;
}

int ScaleOf(const QImage& image) {
  return int(image.devicePixelRatio());
}

// Written directly (RGB888) to keep the gradients cheap to draw at start-up.
void SetRgb(uchar* pixel, const QColor& colour) {
  pixel[0] = uchar(colour.red());
  pixel[1] = uchar(colour.green());
  pixel[2] = uchar(colour.blue());
}

// Rows and pixels below are the picture's, each `scale` device pixels square.
void FillRow(QImage& image, int row, const QColor& colour) {
  const int scale = ScaleOf(image);
  for (int y = row * scale; y < (row + 1) * scale; ++y) {
    uchar* line = image.scanLine(y);
    for (int x = 0; x < image.width(); ++x)
      SetRgb(line + 3 * x, colour);
  }
}

void SetPixel(QImage& image, int x, int y, const QColor& colour) {
  const int scale = ScaleOf(image);
  for (int v = y * scale; v < (y + 1) * scale; ++v) {
    for (int u = x * scale; u < (x + 1) * scale; ++u)
      image.setPixelColor(u, v, colour);
  }
}

QColor PixelAt(const QImage& image, int x, int y) {
  return image.pixelColor(x * ScaleOf(image), y * ScaleOf(image));
}

// Pixels beyond the arc around `centre` turn white, with a one-device-pixel soft edge
// in `edge`; `dx`, `dy` (+1 or -1) point from the centre towards the corner.
void RoundCorner(QImage& image, QPointF centre, double radius, int dx, int dy, const QColor& edge) {
  centre *= ScaleOf(image);
  radius *= ScaleOf(image);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const double ox = (x + 0.5 - centre.x()) * dx;
      const double oy = (y + 0.5 - centre.y()) * dy;
      if (ox <= 0 || oy <= 0)
        continue;
      const double distance = std::hypot(ox, oy);
      if (distance >= radius + 0.5) {
        image.setPixelColor(x, y, kWhite);
      } else if (distance > radius - 0.5) {
        const double outside = distance - (radius - 0.5);
        image.setPixelColor(x, y, Mix(Mix(image.pixelColor(x, y), edge, 0.7), kWhite, outside));
      }
    }
  }
}

// The rows all top-strip pictures share, down to the upper edge of the page frame.
QImage TopStrip(int width, int scale) {
  QImage image = NewPicture(width, 30, scale);
  FillRow(image, 0, kNavy);
  const QColor top(232, 241, 253);
  const QColor bottom(125, 175, 244);
  for (int row = 1; row <= 21; ++row) {
    QColor colour = Mix(top, bottom, (row - 1) / 20.0);
    // A glossy sweep over the upper half; the first row keeps the plain gradient.
    if (row <= 11)
      colour = Mix(colour, kWhite, 0.4 * std::sin(M_PI * (row - 1) / 10.0));
    FillRow(image, row, colour);
  }
  FillRow(image, 22, QColor(85, 109, 143));
  for (int row = 23; row <= 26; ++row)
    FillRow(image, row, QColor(147, 180, 244));
  FillRow(image, 27, QColor(82, 84, 88));
  FillRow(image, 28, QColor(236, 242, 252));
  FillRow(image, 29, QColor(236, 242, 252));
  return image;
}

QImage BottomStrip(int width, int scale) {
  QImage image = NewPicture(width, 24, scale, QColor(45, 101, 220));
  FillRow(image, 22, kNavy);
  FillRow(image, 23, kNavy);
  return image;
}

// A soft shadow: the text's coverage (alpha of an ARGB32 image), box-blurred.
QImage BlurredMask(const QImage& source, int radius) {
  const int width = source.width();
  const int height = source.height();
  std::vector<int> alpha(size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    for (int x = 0; x < width; ++x)
      alpha[size_t(y) * width + x] = qAlpha(line[x]);
  }
  for (int pass = 0; pass < 2; ++pass) {
    const std::vector<int> in = alpha;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        int sum = 0;
        int count = 0;
        for (int v = std::max(0, y - radius); v <= std::min(height - 1, y + radius); ++v) {
          for (int u = std::max(0, x - radius); u <= std::min(width - 1, x + radius); ++u) {
            sum += in[size_t(v) * width + u];
            ++count;
          }
        }
        alpha[size_t(y) * width + x] = sum / count;
      }
    }
  }
  QImage out(width, height, QImage::Format_Alpha8);
  out.setDevicePixelRatio(source.devicePixelRatio());
  for (int y = 0; y < height; ++y) {
    uchar* line = out.scanLine(y);
    for (int x = 0; x < width; ++x)
      line[x] = uchar(alpha[size_t(y) * width + x]);
  }
  return out;
}

void DrawButton(QImage& image, const QString& text) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF face(2.5, 1.5, image.deviceIndependentSize().width() - 5, 19);
  QLinearGradient fill(face.topLeft(), face.bottomLeft());
  fill.setColorAt(0.0, QColor(248, 250, 253));
  fill.setColorAt(0.45, QColor(233, 238, 246));
  fill.setColorAt(1.0, QColor(214, 222, 236));
  painter.setPen(QPen(QColor(122, 128, 140), 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(face, 3, 3);
  // Light above and to the left, shade below: the button stands out.
  painter.setPen(QPen(kWhite, 1));
  painter.drawLine(QPointF(4.5, 2.5), QPointF(face.right() - 2, 2.5));
  painter.drawLine(QPointF(3.5, 4), QPointF(3.5, face.bottom() - 2));
  painter.setPen(QPen(QColor(176, 186, 204), 1));
  painter.drawLine(QPointF(4.5, face.bottom() - 1), QPointF(face.right() - 2, face.bottom() - 1));
  painter.drawLine(QPointF(face.right() - 1, 4), QPointF(face.right() - 1, face.bottom() - 2));

  painter.setFont(SongFont(12));
  painter.setPen(QColor(51, 51, 102));
  painter.drawText(face.adjusted(0, 1, 0, 0), Qt::AlignCenter, text);
}

// Three standing figures on an oval disc, drawn in a 38 x 38 design space.
void DrawFigures(QPainter& painter) {
  QRadialGradient disc(QPointF(19, 28), 16);
  disc.setColorAt(0.0, QColor(214, 234, 255));
  disc.setColorAt(1.0, QColor(140, 192, 246));
  painter.setPen(QPen(QColor(110, 160, 225), 0.8));
  painter.setBrush(disc);
  painter.drawEllipse(QPointF(19, 29), 17, 6.5);

  struct Figure {
    double x;
    double feet;
    double height;
    QColor colour;
  };
  const Figure figures[] = {
      {10.0, 31.0, 20.0, QColor(58, 120, 218)},
      {28.0, 31.0, 20.0, QColor(58, 120, 218)},
      {19.0, 33.0, 25.0, QColor(24, 78, 190)},
  };
  for (const Figure& f : figures) {
    const double head = f.height * 0.16;
    const double top = f.feet - f.height;
    QLinearGradient body(QPointF(f.x - 4, 0), QPointF(f.x + 4, 0));
    body.setColorAt(0.0, f.colour.lighter(135));
    body.setColorAt(1.0, f.colour);
    painter.setPen(QPen(f.colour.darker(140), 0.8));
    painter.setBrush(body);
    painter.drawEllipse(QPointF(f.x, top + head), head, head);
    QPainterPath torso;
    const double shoulders = top + 2 * head + 0.8;
    const double half = f.height * 0.2;
    torso.moveTo(f.x - half, shoulders + 1.5);
    torso.quadTo(f.x - half, shoulders, f.x, shoulders);
    torso.quadTo(f.x + half, shoulders, f.x + half, shoulders + 1.5);
    torso.lineTo(f.x + half * 0.55, f.feet);
    torso.lineTo(f.x - half * 0.55, f.feet);
    torso.closeSubpath();
    painter.drawPath(torso);
    // The gap between the legs.
    painter.setPen(QPen(QColor(235, 244, 255), 0.9));
    painter.drawLine(QPointF(f.x, f.feet - f.height * 0.32), QPointF(f.x, f.feet - 0.3));
  }
}

}  // namespace

QFont TitleFont() {
  // A chancery face looks handwritten, any italic serif where it is missing; installed
  // twice (Type 1 and OpenType), it is listed with its foundry, e.g. "Z003 [urw]".
  const QStringList families = QFontDatabase::families();
  const bool chancery = std::any_of(families.cbegin(), families.cend(), [](const QString& family) {
    return family.startsWith(QLatin1String("Z003"));
  });
  QFont font(chancery ? QStringLiteral("Z003") : QStringLiteral("serif"));
  font.setPixelSize(chancery ? 23 : 19);
  font.setItalic(!chancery);
  font.setBold(!chancery);
  // The face has every letter of the title: no search for stand-ins.
  if (chancery)
    font.setStyleStrategy(QFont::NoFontMerging);
  return font;
}

QImage TitlePicture(int scale) {
  QImage image = TopStrip(148, scale);
  const QFont font = TitleFont();
  const QString title = QStringLiteral("Quillet");
  const QRectF bounds = QFontMetricsF(font).tightBoundingRect(title);
  // Centred in the gradient rows 1 to 21, starting a little in from the corner.
  const QPointF origin(9 - bounds.left(), 11.5 - (bounds.top() + bounds.bottom()) / 2);

  QImage mask(image.size(), QImage::Format_ARGB32_Premultiplied);
  mask.setDevicePixelRatio(scale);
  mask.fill(Qt::transparent);
  {
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(origin + QPointF(1.5, 1.5), title);
  }
  const QImage shadow = BlurredMask(mask, scale);

  for (int y = scale; y < 22 * scale; ++y) {
    uchar* line = image.scanLine(y);
    const uchar* coverage = shadow.constScanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      const double alpha = 0.55 * coverage[x] / 255.0;
      uchar* pixel = line + 3 * x;
      if (alpha > 0)
        SetRgb(pixel, Mix(QColor(pixel[0], pixel[1], pixel[2]), QColor(40, 55, 95), alpha));
    }
  }
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setFont(font);
  painter.setPen(QColor(16, 40, 128));
  painter.drawText(origin, title);
  painter.end();

  // Column 0 lies outside the window, so the visible corner starts at column 1.
  RoundCorner(image, QPointF(1 + 6, 6), 6, -1, -1, kNavy);
  return image;
}

QImage MinimizePicture(int scale) {
  QImage image = TopStrip(18, scale);
  const QColor slate(78, 98, 148);
  for (int y = 13; y <= 14; ++y) {
    for (int x = 6; x <= 13; ++x)
      SetPixel(image, x, y, slate);
  }
  return image;
}

QImage ClosePicture(int scale) {
  QImage image = TopStrip(21, scale);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(9.0, 11.5);
    const QColor greyBlue(92, 112, 152);
    painter.setPen(QPen(greyBlue, 1.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 6.2, 6.2);
    painter.setPen(QPen(greyBlue, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(centre + QPointF(-2.8, -2.8), centre + QPointF(2.8, 2.8));
    painter.drawLine(centre + QPointF(-2.8, 2.8), centre + QPointF(2.8, -2.8));
  }
  // The last two columns lie outside the window; the corner ends at column 18.
  RoundCorner(image, QPointF(19 - 6, 6), 6, 1, -1, kNavy);
  return image;
}

QImage OrnamentPicture(int scale) {
  QImage image = BottomStrip(43, scale);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The capsule behind the knob.
    QLinearGradient capsule(QPointF(0, 7), QPointF(0, 16));
    capsule.setColorAt(0.0, QColor(70, 120, 215));
    capsule.setColorAt(1.0, QColor(22, 62, 160));
    painter.setPen(QPen(QColor(20, 45, 120), 1));
    painter.setBrush(capsule);
    painter.drawRoundedRect(QRectF(14.5, 6.5, 26, 9), 4.5, 4.5);
    // The glossy knob with its chevron.
    const QPointF centre(12.0, 11.0);
    QRadialGradient knob(centre + QPointF(-2.5, -3), 10);
    knob.setColorAt(0.0, QColor(226, 240, 255));
    knob.setColorAt(0.6, QColor(140, 190, 250));
    knob.setColorAt(1.0, QColor(70, 130, 225));
    painter.setPen(QPen(QColor(30, 70, 160), 1));
    painter.setBrush(knob);
    painter.drawEllipse(centre, 8, 8);
    painter.setPen(QPen(kWhite, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF(
        {centre + QPointF(-2, -3.5), centre + QPointF(1.8, 0), centre + QPointF(-2, 3.5)}));
  }
  // Column 0 and row 23 lie outside the window.
  RoundCorner(image, QPointF(1 + 6, 23 - 6), 6, -1, 1, kNavy);
  return image;
}

QImage MenuButtonPicture(int scale) {
  QImage image = BottomStrip(47, scale);
  DrawButton(image, QString::fromUtf8(kMenuButtonText));
  return image;
}

QImage HideButtonPicture(int scale) {
  QImage image = BottomStrip(95, scale);
  DrawButton(image, QString::fromUtf8(kHideButtonText));
  return image;
}

QImage CategoryBarPicture(const QString& title, bool own, int scale) {
  const int width = 171;
  const int height = 20;
  QImage image = NewPicture(width, height, scale);
  const QColor border(0, 60, 116);
  const QColor beige(236, 233, 223);

  // White under the top border, the base colour at row 15, darker towards the bottom.
  for (int row = 1; row <= 18; ++row) {
    QColor colour;
    if (row <= 15) {
      colour = Mix(kWhite, QColor(240, 240, 234), (row - 1) / 14.0);
    } else if (row == 16) {
      colour = QColor(232, 231, 223);
    } else if (row == 17) {
      colour = QColor(224, 222, 212);
    } else {
      colour = QColor(214, 208, 197);
    }
    FillRow(image, row, colour);
  }
  FillRow(image, 0, border);
  FillRow(image, height - 1, border);
  for (int row = 0; row < height; ++row) {
    SetPixel(image, 0, row, border);
    SetPixel(image, width - 1, row, border);
  }
  // Rounded corners: the corner pixel turns beige, its neighbours blend.
  for (const QPoint corner :
       {QPoint(0, 0), QPoint(width - 1, 0), QPoint(0, height - 1), QPoint(width - 1, height - 1)}) {
    const int inX = corner.x() == 0 ? 1 : -1;
    const int inY = corner.y() == 0 ? 1 : -1;
    SetPixel(image, corner.x(), corner.y(), beige);
    SetPixel(image, corner.x() + inX, corner.y(), Mix(border, beige, 0.5));
    SetPixel(image, corner.x(), corner.y() + inY, Mix(border, beige, 0.5));
    const QPoint inner(corner.x() + inX, corner.y() + inY);
    SetPixel(image, inner.x(), inner.y(), Mix(border, PixelAt(image, inner.x(), inner.y()), 0.5));
  }

  QPainter painter(&image);
  QFont font = SongFont(12);
  const QString text = QStringLiteral("=== %1 ===").arg(title);
  if (own) {
    // Bold as a bitmap face does it, the strokes again a pixel to the right and each
    // character a pixel wider: a synthesised bold smears at this size.
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    painter.setFont(font);
    painter.setPen(QColor(49, 106, 197));
    const QRect box(12, 4, 146, 12);
    painter.drawText(box, Qt::AlignCenter, text);
    painter.drawText(box.translated(1, 0), Qt::AlignCenter, text);
  } else {
    painter.setFont(font);
    painter.setPen(QColor(0, 78, 152));
    painter.drawText(QRect(12, 4, 147, 12), Qt::AlignCenter, text);
  }
  return image;
}

QImage ProgramIcon() {
  QImage image = NewPicture(38, 38, 1);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawFigures(painter);
  return image;
}

QImage AboutPicture(int scale) {
  QImage image = NewPicture(65, 65, scale, QColor(226, 238, 252));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  // Soft streaks radiating from behind the figures.
  const QPointF source(32.5, 40);
  for (int i = 0; i < 18; ++i) {
    const double angle = i * 2 * M_PI / 18;
    QPainterPath streak;
    streak.moveTo(source);
    streak.lineTo(source + QPointF(std::cos(angle - 0.07), std::sin(angle - 0.07)) * 70);
    streak.lineTo(source + QPointF(std::cos(angle + 0.07), std::sin(angle + 0.07)) * 70);
    streak.closeSubpath();
    painter.fillPath(streak, QColor(255, 255, 255, 120));
  }
  painter.scale(65.0 / 38.0, 65.0 / 38.0);
  DrawFigures(painter);
  return image;
}

static QImage ClearSquare(int side, int scale) {
  QImage image(side * scale, side * scale, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  return image;
}

QImage CheckMarkGlyph(int scale) {
  QImage image = ClearSquare(16, scale);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 128, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
  return image;
}

QImage QuestionIcon(int scale) {
  QImage image = ClearSquare(32, scale);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath bubble;
  bubble.addEllipse(QPointF(15.5, 13.5), 13, 11);
  QPainterPath tail;
  tail.moveTo(9, 21);
  tail.lineTo(8, 30);
  tail.lineTo(17, 23);
  tail.closeSubpath();
  bubble = bubble.united(tail);
  painter.fillPath(bubble.translated(1.5, 1.5), QColor(0, 0, 0, 80));
  painter.setPen(QPen(QColor(90, 90, 90), 1));
  painter.setBrush(Qt::white);
  painter.drawPath(bubble);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(18);
  font.setBold(true);
  painter.setFont(font);
  painter.setPen(QColor(0, 0, 230));
  painter.drawText(QRectF(2.5, 1.5, 26, 24), Qt::AlignCenter, QStringLiteral("?"));
  return image;
}

int ScreenScale() {
  // A fractional ratio draws at the next whole one and lets Qt scale down.
  return std::max(1, int(std::ceil(qApp->devicePixelRatio())));
}

}  // namespace artwork
