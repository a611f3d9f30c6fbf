// The least a Qt program does to put a window on screen: bench/startup times
// it from spawn to shown, the same way as the browser, and compares. With
// --text the window also shows the browser's captions in the browser's face,
// the least a window of Japanese text pays (the font system's start, the
// face's glyphs), for comparison.
#include "platform/widgets/QuitWhenShown.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(676, 408);
    if (QCoreApplication::arguments().contains(QStringLiteral("--text"))) {
        QFont font;
        font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"),
                          QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans")});
        font.setPointSizeF(9.75);
        window.setFont(font);
        auto* captions = new QLabel(QStringLiteral("ﾌｧｲﾙ名 ｻｲｽﾞ(KB) 更新日 動画のｻｲｽﾞ ｵﾘｼﾞﾅﾙ 倍 ﾌﾙｽｸﾘｰﾝ "
                                                   "１回 繰返し 再生 順次 順逆 ﾗﾝﾀﾞﾑ 連続再生 ｷｬﾝｾﾙ 終了"),
                                    &window);
        captions->move(8, 8);
    }
    window.show();
    platform::QuitWhenShown(window);
    return QApplication::exec();
}
