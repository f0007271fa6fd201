// The favourites window driven as the user would: the grid newest first, thumbnails drawn only
// when seen and kept in the cache folder, renaming in place, removal with undo, the item menu, the
// show of favourites in turn, and a store that could not be opened.
#include "app/favourites/FavouriteStore.h"
#include "app/favourites/FavouritesGallery.h"
#include "app/favourites/FavouritesModel.h"
#include "app/favourites/ThumbnailCache.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

QColor colourOf(const QString& code)
{
    return QColor::fromHsv(int(qHash(code, 11) % 360), 200, 220);
}

// Stands in for the pattern windows: solid thumbnails from the code (none for codes starting with
// "BAD"), and a record of what was shown and exported.
struct FakeServices
{
    std::shared_ptr<std::atomic<int>> drawn = std::make_shared<std::atomic<int>>(0);
    // While set, thumbnails wait to be drawn: a test decides when they arrive.
    std::shared_ptr<std::atomic<bool>> hold = std::make_shared<std::atomic<bool>>(false);
    QStringList shown;
    QStringList exported;
    QStringList exportedNames;
    QWidget* exportOwner = nullptr;

    GalleryServices services()
    {
        GalleryServices services;
        services.drawThumbnail = [drawn = drawn, hold = hold](const QString& code, QSize size) {
            while (hold->load())
                QThread::msleep(1);
            ++*drawn;
            if (code.startsWith(QStringLiteral("BAD")))
                return QImage();
            QImage image(size, QImage::Format_RGB32);
            image.fill(colourOf(code));
            return image;
        };
        services.show = [this](const QString& code) { shown << code; };
        services.exportPng = [this](QWidget* owner, const QString& code, const QString& name) {
            exportOwner = owner;
            exported << code;
            exportedNames << name;
        };
        return services;
    }
};

QDateTime morning()
{
    return QDateTime(QDate(2026, 12, 11), QTime(8, 30, 5));
}

// count favourites "TN-000".. added a minute apart: the last is the newest.
QStringList fill(FavouriteStore& store, int count, const QString& prefix = QStringLiteral("TN"))
{
    QStringList codes;
    for (int n = 0; n < count; ++n) {
        codes.prepend(QStringLiteral("%1-%2").arg(prefix).arg(n, 3, 10, QChar(u'0')));
        store.add(codes.first(), n % 2 ? QStringLiteral("geometric") : QStringLiteral("curves"), morning().addSecs(60 * n));
    }
    return codes;
}

QListView* listOf(const FavouritesGallery& gallery)
{
    return gallery.findChild<QListView*>(QStringLiteral("lstFavourites"));
}

QStringList column(const QAbstractItemModel* model, int role)
{
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row)
        values << model->index(row, 0).data(role).toString();
    return values;
}

bool thumbnailReady(const QAbstractItemModel* model, int row)
{
    return model->index(row, 0).data(FavouritesModel::ThumbnailReadyRole).toBool();
}

QRgb thumbnailColour(const QAbstractItemModel* model, int row)
{
    const QImage image = model->index(row, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    return image.pixel(image.width() / 2, image.height() / 2);
}

QStringList cachedFiles()
{
    return QDir(ThumbnailCache::defaultFolder()).entryList({QStringLiteral("*.png")}, QDir::Files);
}

bool openShown(FavouritesGallery& gallery, QSize size = QSize(760, 560))
{
    gallery.resize(size);
    gallery.show();
    gallery.activateWindow();
    return QTest::qWaitForWindowExposed(&gallery);
}

} // namespace

class TestFavouritesGallery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void gridIsNewestFirstAndReloads();
    void thumbnailsAreDrawnOnlyWhenSeen();
    void cacheFilesAreUsedAgain_data();
    void cacheFilesAreUsedAgain();
    void undrawableCodeIsMarkedNotRetried();
    void renameInPlaceIsSaved_data();
    void renameInPlaceIsSaved();
    void deleteKeyRemovesSelectedAndUndoBringsThemBack();
    void itemMenuHoldsItsActionsInOrder();
    void itemActionsReachTheServices();
    void showCyclesNewestFirstUntilStopped_data();
    void showCyclesNewestFirstUntilStopped();
    void storeProblemIsShown_data();
    void storeProblemIsShown();
    void readOnlyStoreIsShownUnchanged();

private:
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<QTemporaryDir> m_cache;
};

void TestFavouritesGallery::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (m_home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toUtf8());
}

void TestFavouritesGallery::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    m_cache = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid() && m_cache->isValid());
    qputenv("XDG_CACHE_HOME", m_cache->path().toUtf8());
    QVERIFY(ThumbnailCache::defaultFolder().startsWith(m_cache->path()));
}

void TestFavouritesGallery::gridIsNewestFirstAndReloads()
{
    FavouriteStore store(m_data->path());
    QStringList codes = fill(store, 4);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QCOMPARE(gallery.windowTitle(), QStringLiteral("澄岚图案收藏夹"));
    QCOMPARE(gallery.objectName(), QStringLiteral("frmFavourites"));
    const QAbstractItemModel* model = listOf(gallery)->model();
    QCOMPARE(column(model, FavouritesModel::CodeRole), codes);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("2026-12-11 08:33:05"));
    QCOMPARE(listOf(gallery)->viewMode(), QListView::IconMode);

    // Added from a canvas while the gallery is open.
    store.add(QStringLiteral("TN-NEW"), QStringLiteral("curves"), morning().addDays(1), QStringLiteral("新的"));
    gallery.reload();
    codes.prepend(QStringLiteral("TN-NEW"));
    QCOMPARE(column(model, FavouritesModel::CodeRole), codes);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("新的"));
}

void TestFavouritesGallery::thumbnailsAreDrawnOnlyWhenSeen()
{
    FavouriteStore store(m_data->path());
    const QStringList codes = fill(store, 200);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QCOMPARE(fake.drawn->load(), 0); // nothing before the grid is seen
    QVERIFY(openShown(gallery, QSize(420, 320)));
    const QAbstractItemModel* model = listOf(gallery)->model();
    QTRY_VERIFY_WITH_TIMEOUT(thumbnailReady(model, 0), 5000);
    QCOMPARE(thumbnailColour(model, 0), colourOf(codes[0]).rgb());
    QVERIFY2(fake.drawn->load() < 30, qPrintable(QString::number(fake.drawn->load())));
    QVERIFY(!thumbnailReady(model, 199));

    listOf(gallery)->scrollToBottom();
    QTRY_VERIFY_WITH_TIMEOUT(thumbnailReady(model, 199), 5000);
    QCOMPARE(thumbnailColour(model, 199), colourOf(codes[199]).rgb());
    QVERIFY2(fake.drawn->load() < 60, qPrintable(QString::number(fake.drawn->load())));
    QVERIFY(!thumbnailReady(model, 100));
}

void TestFavouritesGallery::cacheFilesAreUsedAgain_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("redrawn");
    QTest::newRow("cache kept") << QString() << 0;
    QTest::newRow("cache folder deleted") << QStringLiteral("folder") << 5;
    QTest::newRow("one file garbled") << QStringLiteral("garbled") << 1;
    QTest::newRow("one file emptied") << QStringLiteral("emptied") << 1;
}

void TestFavouritesGallery::cacheFilesAreUsedAgain()
{
    QFETCH(QString, damage);
    QFETCH(int, redrawn);
    FavouriteStore store(m_data->path());
    const QStringList codes = fill(store, 5);
    {
        FakeServices fake;
        FavouritesGallery gallery(store, fake.services());
        QVERIFY(openShown(gallery));
        const QAbstractItemModel* model = listOf(gallery)->model();
        for (int row = 0; row < 5; ++row)
            QTRY_VERIFY_WITH_TIMEOUT(thumbnailReady(model, row), 5000);
        QCOMPARE(fake.drawn->load(), 5);
        QTRY_COMPARE_WITH_TIMEOUT(cachedFiles().size(), 5, 5000);
    }
    const QString folder = ThumbnailCache::defaultFolder();
    if (damage == QStringLiteral("folder")) {
        QVERIFY(QDir(folder).removeRecursively());
    } else if (!damage.isEmpty()) {
        QFile file(QDir(folder).filePath(cachedFiles().at(2)));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (damage == QStringLiteral("garbled"))
            file.write(QByteArray(300, char(0x89)));
    }

    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));
    const QAbstractItemModel* model = listOf(gallery)->model();
    for (int row = 0; row < 5; ++row) {
        QTRY_VERIFY_WITH_TIMEOUT(thumbnailReady(model, row), 5000);
        QCOMPARE(thumbnailColour(model, row), colourOf(codes[row]).rgb());
    }
    QCOMPARE(fake.drawn->load(), redrawn);
    QTRY_COMPARE_WITH_TIMEOUT(cachedFiles().size(), 5, 5000);
}

void TestFavouritesGallery::undrawableCodeIsMarkedNotRetried()
{
    FavouriteStore store(m_data->path());
    store.add(QStringLiteral("BAD-1"), QStringLiteral("curves"));
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));
    const QAbstractItemModel* model = listOf(gallery)->model();
    QTRY_VERIFY_WITH_TIMEOUT(thumbnailReady(model, 0), 5000);
    QVERIFY(!model->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().isNull());
    gallery.update();
    listOf(gallery)->viewport()->repaint();
    QCOMPARE(fake.drawn->load(), 1);
    QVERIFY(cachedFiles().isEmpty());
}

void TestFavouritesGallery::renameInPlaceIsSaved_data()
{
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("F2, new name") << true << QStringLiteral("  晚霞 ") << QStringLiteral("晚霞");
    QTest::newRow("menu item, new name") << false << QStringLiteral("蓝色星星") << QStringLiteral("蓝色星星");
    QTest::newRow("F2, emptied") << true << QString() << QStringLiteral("原名");
    QTest::newRow("menu item, only spaces") << false << QStringLiteral("   ") << QStringLiteral("原名");
}

void TestFavouritesGallery::renameInPlaceIsSaved()
{
    QFETCH(bool, byKey);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    FavouriteStore store(m_data->path());
    fill(store, 2);
    store.add(QStringLiteral("TN-NAMED"), QStringLiteral("curves"), morning().addDays(1), QStringLiteral("原名"));
    FakeServices fake;
    fake.hold->store(true);
    FavouritesGallery gallery(store, fake.services());
    const auto release = qScopeGuard([&] { fake.hold->store(false); });
    QVERIFY(openShown(gallery));
    QListView* list = listOf(gallery);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    if (byKey)
        QTest::keyClick(list, Qt::Key_F2);
    else
        gallery.findChild<QAction*>(QStringLiteral("actRenameFavourite"))->trigger();
    QPointer<QLineEdit> editor; // the view deletes it when editing ends
    QTRY_VERIFY_WITH_TIMEOUT((editor = list->viewport()->findChild<QLineEdit*>()) && editor->isVisible(), 5000);
    QCOMPARE(editor->text(), QStringLiteral("原名"));
    editor->selectAll();
    editor->insert(typed); // as typed: keyClicks takes ASCII only
    // The item's thumbnail arrives while the name is being typed.
    fake.hold->store(false);
    QTRY_VERIFY_WITH_TIMEOUT(thumbnailReady(list->model(), 0), 5000);
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!editor || !editor->isVisible(), 5000);

    QCOMPARE(store.all().at(0).name, kept);
    QCOMPARE(list->model()->index(0, 0).data().toString(), kept);
}

void TestFavouritesGallery::deleteKeyRemovesSelectedAndUndoBringsThemBack()
{
    FavouriteStore store(m_data->path());
    const QStringList codes = fill(store, 5);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));
    QListView* list = listOf(gallery);
    const QAbstractItemModel* model = list->model();
    auto* undo = gallery.findChild<QPushButton*>(QStringLiteral("cmdUndoRemove"));
    QVERIFY(!undo->isEnabled());

    list->setFocus();
    list->setCurrentIndex(model->index(1, 0));
    list->selectionModel()->select(model->index(3, 0), QItemSelectionModel::Select);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(column(model, FavouritesModel::CodeRole), (QStringList{codes[0], codes[2], codes[4]}));
    QCOMPARE(store.count(), 3);
    QVERIFY(undo->isEnabled());

    list->setCurrentIndex(model->index(0, 0));
    gallery.findChild<QAction*>(QStringLiteral("actDeleteFavourite"))->trigger();
    QCOMPARE(store.count(), 2);

    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier); // the last removal first
    QCOMPARE(column(model, FavouritesModel::CodeRole), (QStringList{codes[0], codes[2], codes[4]}));
    QVERIFY(undo->isEnabled());
    QTest::mouseClick(undo, Qt::LeftButton);
    QCOMPARE(column(model, FavouritesModel::CodeRole), codes);
    QCOMPARE(store.all().at(3).name, QStringLiteral("2026-12-11 08:31:05"));
    QVERIFY(!undo->isEnabled());
}

void TestFavouritesGallery::itemMenuHoldsItsActionsInOrder()
{
    FavouriteStore store(m_data->path());
    fill(store, 3);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));
    QListView* list = listOf(gallery);
    const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    auto* menu = gallery.findChild<QMenu*>();
    QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
    QCOMPARE(list->currentIndex().row(), 1); // the item clicked on

    QStringList texts, names;
    for (QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (!action->isSeparator()) {
            names << action->objectName();
            QVERIFY(action->isEnabled());
        }
    }
    QCOMPARE(texts, (QStringList{QStringLiteral("显示"), QStringLiteral("重命名"), QStringLiteral("复制代码"),
                                 QStringLiteral("导出…"), QStringLiteral("-"), QStringLiteral("删除")}));
    QCOMPARE(names, (QStringList{QStringLiteral("actShowFavourite"), QStringLiteral("actRenameFavourite"),
                                 QStringLiteral("actCopyFavouriteCode"), QStringLiteral("actExportFavourite"),
                                 QStringLiteral("actDeleteFavourite")}));
    menu->hide();
}

void TestFavouritesGallery::itemActionsReachTheServices()
{
    FavouriteStore store(m_data->path());
    const QStringList codes = fill(store, 3);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));
    QListView* list = listOf(gallery);
    list->setCurrentIndex(list->model()->index(2, 0));
    const auto trigger = [&](const char* name) { gallery.findChild<QAction*>(QLatin1String(name))->trigger(); };

    trigger("actShowFavourite");
    QCOMPARE(fake.shown, QStringList{codes[2]});
    trigger("actCopyFavouriteCode");
    QCOMPARE(QGuiApplication::clipboard()->text(), codes[2]);
    trigger("actExportFavourite");
    QCOMPARE(fake.exported, QStringList{codes[2]});
    QCOMPARE(fake.exportedNames, QStringList{QStringLiteral("2026-12-11 08:30:05")}); // the time it was kept
    QCOMPARE(fake.exportOwner, &gallery);

    const QPoint at = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(fake.shown, (QStringList{codes[2], codes[1]}));
    QCOMPARE(store.count(), 3); // none of these changed the store
}

void TestFavouritesGallery::showCyclesNewestFirstUntilStopped_data()
{
    QTest::addColumn<QString>("stop");
    QTest::newRow("stopShow()") << QStringLiteral("call");
    QTest::newRow("button pressed again") << QStringLiteral("button");
    QTest::newRow("gallery closed") << QStringLiteral("close");
}

void TestFavouritesGallery::showCyclesNewestFirstUntilStopped()
{
    QFETCH(QString, stop);
    FavouriteStore store(m_data->path());
    const QStringList codes = fill(store, 3);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));
    auto* timer = gallery.findChild<QTimer*>(QStringLiteral("favouritesShowTimer"));
    auto* button = gallery.findChild<QPushButton*>(QStringLiteral("cmdFavouritesShow"));
    QCOMPARE(button->text(), QStringLiteral("放映收藏"));
    QCOMPARE(timer->interval(), 3000);
    timer->setInterval(10);

    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(fake.shown, QStringList{codes[0]}); // the newest at once
    QVERIFY(gallery.isShowing());
    QCOMPARE(button->text(), QStringLiteral("停止放映"));
    QTRY_VERIFY_WITH_TIMEOUT(fake.shown.size() >= 5, 5000);
    QCOMPARE(fake.shown.mid(0, 5), (QStringList{codes[0], codes[1], codes[2], codes[0], codes[1]}));

    if (stop == QStringLiteral("call"))
        gallery.stopShow();
    else if (stop == QStringLiteral("button"))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        gallery.close();
    QVERIFY(!gallery.isShowing());
    QVERIFY(!timer->isActive());
    QVERIFY(!button->isChecked());
    QCOMPARE(button->text(), QStringLiteral("放映收藏"));
}

void TestFavouritesGallery::storeProblemIsShown_data()
{
    QTest::addColumn<bool>("unwritable");
    QTest::newRow("folder cannot be made") << true;
    QTest::newRow("damaged database moved aside") << false;
}

void TestFavouritesGallery::storeProblemIsShown()
{
    QFETCH(bool, unwritable);
    QString folder = m_data->path();
    QFile blocker(m_data->filePath(unwritable ? QStringLiteral("file") : FavouriteStore::fileName()));
    QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("这不是数据库") > 0);
    blocker.close();
    if (unwritable)
        folder = m_data->filePath(QStringLiteral("file/favourites"));
    FavouriteStore store(folder);
    QCOMPARE(store.isAvailable(), !unwritable);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));

    auto* label = gallery.findChild<QLabel*>(QStringLiteral("lblFavouritesProblem"));
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), store.problem());
    QCOMPARE(listOf(gallery)->isVisible(), !unwritable);
    QVERIFY(!gallery.findChild<QPushButton*>(QStringLiteral("cmdFavouritesShow"))->isEnabled());
    QVERIFY(!gallery.findChild<QPushButton*>(QStringLiteral("cmdUndoRemove"))->isEnabled());
    for (const char* name : {"actShowFavourite", "actRenameFavourite", "actCopyFavouriteCode", "actExportFavourite",
                             "actDeleteFavourite"})
        QVERIFY(!gallery.findChild<QAction*>(QLatin1String(name))->isEnabled());
    gallery.startShow();
    gallery.removeSelected();
    gallery.reload();
    QVERIFY(!gallery.isShowing());
    QVERIFY(fake.shown.isEmpty());
}

// Favourites that cannot be written are still shown, with the store's note, and can be shown,
// copied and exported, but not renamed or removed. (Opened read-only on purpose: the tests run as
// root, whom a read-only file does not stop.)
void TestFavouritesGallery::readOnlyStoreIsShownUnchanged()
{
    QStringList codes;
    {
        FavouriteStore writer(m_data->path());
        codes = fill(writer, 3);
    }
    FavouriteStore store(m_data->path(), FavouriteStore::Options{250, true});
    QCOMPARE(store.state(), FavouriteStore::State::ReadOnly);
    FakeServices fake;
    FavouritesGallery gallery(store, fake.services());
    QVERIFY(openShown(gallery));
    QListView* list = listOf(gallery);
    QVERIFY(list->isVisible());
    QCOMPARE(column(list->model(), FavouritesModel::CodeRole), codes);
    auto* label = gallery.findChild<QLabel*>(QStringLiteral("lblFavouritesProblem"));
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), store.problem());

    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, 0));
    for (const char* name : {"actShowFavourite", "actCopyFavouriteCode", "actExportFavourite"})
        QVERIFY2(gallery.findChild<QAction*>(QLatin1String(name))->isEnabled(), name);
    for (const char* name : {"actRenameFavourite", "actDeleteFavourite"})
        QVERIFY2(!gallery.findChild<QAction*>(QLatin1String(name))->isEnabled(), name);
    QVERIFY(gallery.findChild<QPushButton*>(QStringLiteral("cmdFavouritesShow"))->isEnabled());
    QTest::keyClick(list, Qt::Key_Delete);
    QTest::keyClick(list, Qt::Key_F2);
    QVERIFY(!list->isPersistentEditorOpen(list->currentIndex()));
    QVERIFY(!list->findChild<QLineEdit*>());
    QCOMPARE(column(list->model(), FavouritesModel::CodeRole), codes);
    QCOMPARE(store.count(), 3);
    gallery.findChild<QAction*>(QStringLiteral("actShowFavourite"))->trigger();
    QCOMPARE(fake.shown, QStringList{codes[1]});
}

QTEST_MAIN(TestFavouritesGallery)
#include "tst_favouritesgallery.moc"
