#pragma once

#include "draw/pattern/SlideRecipe.h"
#include "draw/surface/PictureSource.h"

#include <QCryptographicHash>
#include <QImage>

#include <bit>
#include <vector>

// Recipes of every shape a code can take, drawn from a fixed stream so the same list comes back
// on every run and in every build: both windows, with and without a gradient, category texts,
// typed divisors and none, plain and held colours, whole and fractional angles.
inline std::vector<SlideRecipe> sampleRecipes(int count)
{
    RandomStream random(0x9E3779B9u);
    auto below = [&](std::uint32_t limit) { return std::uint32_t(random.next() * float(limit)); };
    auto bits32 = [&] { return (below(65536) << 16) | below(65536); };
    std::vector<SlideRecipe> recipes;
    for (int index = 0; index < count; ++index) {
        SlideRecipe recipe;
        recipe.window = index % 3 == 2 ? PatternWindow::Geometric : PatternWindow::Curves;
        recipe.randomState = bits32() | 1u;
        const std::uint32_t widthKind = below(10);
        recipe.width = widthKind < 7 ? int(below(12)) + 1 : widthKind < 9 ? int(below(200)) + 1 : 32767;
        if (recipe.window == PatternWindow::Curves) {
            const std::uint32_t kind = below(10);
            if (kind < 6)
                recipe.divisor = std::array{90.0, 60.0, 2.5, 0.0001, 0.1010101, 0.191919}[below(6)];
            else if (kind < 8)
                recipe.divisor = double(random.next()) * 400.0 - 20.0;
            else if (kind == 8)
                recipe.divisor = std::nullopt;
            else
                recipe.divisor = 0.0;
            recipe.backColour = Colour(bits32() & (below(8) == 0 ? 0x3FFFFFFFu : 0xFFFFFFu));
        }
        if (below(3) == 0) {
            GradientRecipe gradient;
            const bool held = below(6) == 0;
            gradient.colour1 = Colour(bits32() & (held ? 0x3FFFFFFFu : 0xFFFFFFu));
            gradient.colour2 = Colour(bits32() & 0xFFFFFFu);
            gradient.angle = below(2) == 0 ? float(below(360)) : random.next() * 720.0f - 360.0f;
            if (gradient.angle < 0 || gradient.angle >= 360 || gradient.angle == float(int(gradient.angle)))
                gradient.angle = 12.345f;
            gradient.area = QSize(int(below(1000)) + 2, int(below(1000)) + 2);
            recipe.gradient = gradient;
        }
        recipes.push_back(recipe);
    }
    return recipes;
}

// The SHA-256 of a picture's pixels at its own size, row by row as 0xAARRGGBB words.
inline QByteArray pictureDigest(const PictureSource& picture)
{
    const QImage image = picture.render(1.0).convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = row[x] | 0xFF000000u;
            const unsigned char bytes[4] = {static_cast<unsigned char>(pixel >> 24), static_cast<unsigned char>(pixel >> 16),
                                            static_cast<unsigned char>(pixel >> 8), static_cast<unsigned char>(pixel)};
            hash.addData(QByteArrayView(bytes, 4));
        }
    }
    return hash.result().toHex();
}
