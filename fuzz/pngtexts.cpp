// The reader of the PNG text fields that pictures in the desktop's thumbnail
// cache carry, any program's. Two ways in, by the input's first byte:
//   - even: the rest is a PNG file as found in the cache (the seeds are
//     real ones); reading it ends without a fault, and every number field
//     that reads writes back as the same text;
//   - odd: the rest is lines of "key=value" fields; written into a PNG with
//     our writer, they read back exactly (round trip).
#include "FuzzSupport.h"
#include "platform/media/ThumbnailCache.h"

#include <QImage>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    if (data[0] % 2 == 0) {
        const auto texts = platform::PngTexts(rest);
        if (!texts)
            return 0;
        for (const auto& [key, value] : *texts) {
            FUZZ_CHECK(!key.isEmpty() && !key.contains('\0'), QString::fromLatin1(key.toPercentEncoding()));
            if (const auto number = platform::ThumbnailNumber(value))
                FUZZ_CHECK(platform::ThumbnailNumberText(*number) == value, QString::fromLatin1(value));
        }
        return 0;
    }

    std::vector<std::pair<QByteArray, QByteArray>> fields;
    std::map<QByteArray, QByteArray> expected;
    for (QByteArray line : fuzz::Lines(data + 1, size - 1, 16)) {
        line.replace('\0', ' ');
        const qsizetype equals = line.indexOf('=');
        if (equals < 1 || equals > 79 || expected.count(line.first(equals)))
            continue;
        fields.emplace_back(line.first(equals), line.sliced(equals + 1));
        expected[line.first(equals)] = line.sliced(equals + 1);
    }
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QByteArray png = platform::PngWithTexts(image, fields);
    const auto texts = platform::PngTexts(png);
    FUZZ_CHECK(texts && *texts == expected, QStringLiteral("%1 fields did not read back").arg(fields.size()));
    return 0;
}
