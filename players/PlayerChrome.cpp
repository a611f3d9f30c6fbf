#include "players/PlayerChrome.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

QImage TitleStripPicture()
{
    QImage image(500, 22, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, image.height());
    gradient.setColorAt(0.0, QColor(0x4a, 0x6c, 0xb4));
    gradient.setColorAt(1.0, QColor(0x10, 0x20, 0x50));
    painter.fillRect(image.rect(), gradient);
    return image;
}

QFont StatusTextFont(int maxLineHeight)
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(9.75);
    // The substitute faces have taller line boxes than the original one.
    while (QFontMetrics(font).height() > maxLineHeight && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    return font;
}
