// The texts made from what a file says of its tracks. The input's first line
// is a title, the second a language; both are any bytes a file may hold.
// Whatever they are, the text told over the picture holds no control
// character or line break and no half of a character, and:
//   - cleaning is a round trip for what is clean already (a title without
//     control characters, blanks at its ends or excess length comes back as
//     it was), and cleaning a cleaned title changes nothing;
//   - the label stands whole after its kind's prefix in the text told.
#include "FuzzSupport.h"
#include "players/ViewerKeys.h"

namespace {

bool Showable(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029)
            return false;
        if (text[i].isHighSurrogate() && (i + 1 >= text.size() || !text[i + 1].isLowSurrogate()))
            return false;
        if (text[i].isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate()))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> lines = fuzz::Lines(data, size, 2);
    // As mpv hands them on: decoded as UTF-8, bad bytes replaced.
    const QString title = QString::fromUtf8(lines.value(0));
    const QString language = QString::fromUtf8(lines.value(1));

    const QString clean = viewer::CleanTitle(title);
    FUZZ_CHECK(Showable(clean), clean);
    FUZZ_CHECK(clean.size() <= viewer::kMaxTitleLength, clean);
    FUZZ_CHECK(viewer::CleanTitle(clean) == clean, clean);
    if (Showable(title) && title == title.trimmed() && title.size() <= viewer::kMaxTitleLength)
        FUZZ_CHECK(clean == title, title);

    const platform::MediaTrack track{7, title, language, false};
    const QString label = viewer::TrackLabel(track, 1);
    FUZZ_CHECK(Showable(label) && !label.isEmpty(), label);
    for (const platform::TrackKind kind : {platform::TrackKind::Audio, platform::TrackKind::Subtitle}) {
        const QString text = viewer::TrackText(kind, {track}, 7);
        FUZZ_CHECK(text == viewer::TrackPrefix(kind) + label, text);
    }
    return 0;
}
