#include "controls/TextContrast.h"

#include <algorithm>
#include <cmath>

namespace controls {

namespace {

double channel(double value)
{
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

QColor mix(const QColor &from, const QColor &to, double share)
{
    auto part = [share](double a, double b) { return a + (b - a) * share; };
    return QColor::fromRgbF(part(from.redF(), to.redF()), part(from.greenF(), to.greenF()),
                            part(from.blueF(), to.blueF()));
}

} // namespace

double contrastRatio(const QColor &first, const QColor &second)
{
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableDisabledText(const QColor &text, const QColor &background, double minimum)
{
    // Half way to the background is the usual grey; step back toward the text until it reads.
    for (int percent = 50; percent > 0; percent -= 5) {
        const QColor grey = mix(text, background, percent / 100.0);
        if (contrastRatio(grey, background) >= minimum)
            return grey;
    }
    return text;
}

} // namespace controls
