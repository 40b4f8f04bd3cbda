#include "windows/LineWrap.h"
#include "windows/Controls.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Hex display text as polls bring it: pairs, spaces, now and then a time stamp.
QString hexText(std::mt19937& random, int pairs)
{
    QString text;
    for (int i = 0; i < pairs; ++i) {
        if (random() % 40 == 0)
            text += QStringLiteral("[12:05:%1.%2] ").arg(random() % 60).arg(random() % 1000);
        text += QString::asprintf("%02X ", static_cast<unsigned>(random() % 256));
    }
    return text;
}

} // namespace

// Summed or laid out, a line breaks where QTextLayout breaks it, in the fonts the area may get
// and at every width down to a few characters; text with other characters is laid out.
TEST(LineWrap, breaksWhereTheLayoutBreaks)
{
    const std::vector<QFont> fonts
        = {windows::pixelFont("宋体", 13), windows::pixelFont("DejaVu Sans", 12),
            windows::pixelFont("DejaVu Sans Mono", 13), windows::pixelFont("Noto Sans Mono", 11)};
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    std::mt19937 random(3);
    for (const QFont& font : fonts) {
        for (qreal width = 9; width < 700; width += 6.5) {
            const windows::LineWrap wrap(font, option, width);
            // Summing must not give up where the area is some pairs wide.
            if (width > 40) {
                EXPECT_TRUE(wrap.sums()) << font.family().toStdString() << " " << width;
            }
            for (const QString& text : {hexText(random, 1 + random() % 400),
                     QStringLiteral(" 41 42"), QStringLiteral("41 4G 43 ") + hexText(random, 60),
                     QStringLiteral("[1] 41    42 ") + hexText(random, 90)})
                ASSERT_EQ(wrap.lineStarts(text), wrap.laidOutStarts(text))
                    << font.family().toStdString() << " at " << width << ": " << text.toStdString();
        }
    }
}
