// Opening the favourites gallery with 1,000 favourites against opening it with 10, in the same
// run: construct it, read the store, show it, and process events until the first visible
// thumbnail is asked for. "ratio" is the 1,000's time over the 10's; the target is at most 3,
// which holds only while opening reads no thumbnail it does not show.

#include "app/FavouritesService.h"
#include "app/favourites/FavouriteStore.h"
#include "app/favourites/FavouritesGallery.h"
#include "app/favourites/ThumbnailCache.h"
#include "draw/pattern/PatternCode.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>

namespace {

// A store of its own in a scratch folder, filled in one transaction.
struct PrefilledStore
{
    QTemporaryDir folder;
    std::unique_ptr<FavouriteStore> store;

    explicit PrefilledStore(int count)
    {
        store = std::make_unique<FavouriteStore>(folder.path());
        QList<Favourite> rows;
        const QDateTime start(QDate(2026, 12, 11), QTime(8, 30, 5));
        for (int n = 1; n <= count; ++n) {
            SlideRecipe recipe;
            recipe.window = n % 2 ? PatternWindow::Geometric : PatternWindow::Curves;
            recipe.randomState = std::uint32_t(n) * 2654435761u | 1u;
            recipe.width = 1 + n % 12;
            recipe.divisor = 90.0;
            recipe.backColour = RGB(255, 192, 255);
            rows.append({n, PatternCode::encode(recipe), QStringLiteral("收藏 %1").arg(n), start.addSecs(n),
                         n % 2 ? QStringLiteral("geometric") : QStringLiteral("curves")});
        }
        store->restore(rows);
    }
};

// Wall time from constructing the gallery to the first thumbnail being drawn. The cache folder
// is emptied first, so the thumbnail is drawn, not read.
double openSeconds(FavouriteStore& store)
{
    QDir(ThumbnailCache::defaultFolder()).removeRecursively();
    auto asked = std::make_shared<std::atomic<bool>>(false);
    GalleryServices services;
    services.drawThumbnail = [asked](const QString& code, QSize size) {
        asked->store(true);
        return patternThumbnail(code, size);
    };
    services.show = [](const QString&) {};
    services.exportPng = [](QWidget*, const QString&, const QString&) {};
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    {
        FavouritesGallery gallery(store, services);
        gallery.show();
        while (!asked->load())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    QCoreApplication::processEvents();
    return seconds;
}

void BM_OpenGallery1000Vs10(benchmark::State& state)
{
    QTemporaryDir cache;
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    PrefilledStore small(10);
    PrefilledStore large(1000);
    if (small.store->count() != 10 || large.store->count() != 1000) {
        state.SkipWithError("could not fill the stores");
        return;
    }
    openSeconds(*small.store); // warm: fonts, styles, the SQL driver
    openSeconds(*large.store);
    // Both sides in turn in every iteration; the fastest of each is compared, so that other work
    // on the machine does not tip the ratio.
    double best10 = 1e9, best1000 = 1e9;
    for (auto _ : state) {
        const double t = openSeconds(*large.store);
        best1000 = std::min(best1000, t);
        best10 = std::min(best10, openSeconds(*small.store));
        state.SetIterationTime(t);
    }
    state.counters["open_10_ms"] = 1e3 * best10;
    state.counters["open_1000_ms"] = 1e3 * best1000;
    state.counters["ratio"] = best1000 / best10;
    qputenv("XDG_CACHE_HOME", oldCache);
}

} // namespace

BENCHMARK(BM_OpenGallery1000Vs10)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);
