// Exporting from the canvas menu: the menu item, the export dialog's sizes, preview and remembered
// choices, the file dialog it leads to, the export on a worker thread behind a progress dialog
// (written, cancelled, failed, or cut short by the window closing), and the save folder that the
// program remembers across runs.
#include "ModalDialog.h"

#include "app/canvas/CanvasMenu.h"
#include "app/canvas/ExportDialog.h"
#include "app/messages/OutputMessages.h"
#include "app/output/OutputRunner.h"
#include "app/canvas/SaveFolder.h"
#include "draw/pattern/PatternFileReader.h"
#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"
#include "draw/surface/PictureSource.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>
#include <optional>

namespace {

// A curve slide on a plain background, and one on a gradient.
const QString plainCode = QStringLiteral("TN12H1KG2Y001WH6X2A6PAQ8");
const QString gradientCode = QStringLiteral("TN1F8MKYM60038BWDMWN3JVVM7Y9TGA5GMFG5RG9PGJZG9S");

// Bounds for exports: a busy machine writes a few megapixels in far less.
constexpr int exportTimeout = 60000;

struct Slide
{
    std::shared_ptr<const PictureSource> picture;
    QString code;
    QString fullCode;
};

Slide slideOf(const QString& fullCode)
{
    Slide slide;
    slide.fullCode = fullCode;
    if (const auto recipe = PatternCode::decode(fullCode).recipe)
        slide.picture = slidePicture(*recipe, &slide.code);
    return slide;
}

// A window with a canvas and its menu, showing a slide, as the pattern windows do.
struct CanvasWindow
{
    QWidget window;
    QWidget* canvas = new QWidget(&window);
    Slide shown = slideOf(plainCode);
    CanvasMenu* menu = nullptr;

    CanvasWindow()
    {
        window.resize(900, 820);
        canvas->setGeometry(0, 0, 800, 800);
        menu = attachCanvasMenu(canvas, [this] { return shown.picture; }, [this] { return shown.code; });
        menu->setFullCodeSource([this] { return shown.fullCode; });
        window.show();
    }

    void openMenu()
    {
        const QPoint at(400, 400);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, canvas->mapToGlobal(at));
        QApplication::sendEvent(canvas, &event);
        menu->menu()->hide();
    }

    QAction* action(const char* name) const { return menu->menu()->findChild<QAction*>(QLatin1String(name)); }
    OutputRunner* runner() const { return window.findChild<OutputRunner*>(); }
    QProgressDialog* progress() const { return window.findChild<QProgressDialog*>(QStringLiteral("dlgExportProgress")); }
};

int sizeIndex(const QString& label)
{
    const QList<ExportSizeEntry>& entries = exportSizeEntries();
    for (int index = 0; index < entries.size(); ++index) {
        if (entries.at(index).label == label)
            return index;
    }
    return -1;
}

// Sets the dialog's entries as a user would, one control at a time.
struct Entries
{
    QString format = QStringLiteral("PNG");
    QString size = QStringLiteral("1920 × 1080");
    bool landscape = false;
    // Left as they are unless given: the unit and size from before, the resolution the size sets.
    QString unit;
    std::optional<QString> width;
    std::optional<QString> height;
    std::optional<QString> dpi;

    void enterInto(ExportDialog* dialog) const
    {
        dialog->formatBox->setCurrentText(format);
        dialog->sizeBox->setCurrentText(size);
        (landscape ? dialog->landscapeButton : dialog->portraitButton)->setChecked(true);
        if (!unit.isEmpty())
            dialog->unitBox->setCurrentText(unit);
        if (width)
            dialog->widthBox->setText(*width);
        if (height)
            dialog->heightBox->setText(*height);
        if (dpi)
            dialog->dpiBox->setText(*dpi);
    }
};

Entries custom(const QString& width, const QString& height, const QString& unit, const QString& dpi)
{
    Entries entries;
    entries.size = QStringLiteral("自定义");
    entries.unit = unit;
    entries.width = width;
    entries.height = height;
    entries.dpi = dpi;
    return entries;
}

// Opens the export dialog from the menu, enters the entries and presses "导出…".
bool exportThroughDialog(CanvasWindow& fixture, const Entries& entries)
{
    bool pressed = false;
    ModalDialog<ExportDialog> answer([&](ExportDialog* dialog) {
        entries.enterInto(dialog);
        pressed = dialog->exportButton->isEnabled();
        dialog->exportButton->click();
    });
    fixture.openMenu();
    fixture.action("actExportPattern")->trigger();
    return answer.answered() && pressed;
}

// An export that runs for a minute or more: a gradient slide, every pixel of it in full colour.
Entries hugeExport() { return custom("40000", "40000", QStringLiteral("像素"), "96"); }

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString picturesFolder() { return QDir::home().filePath(QStringLiteral("Pictures")); }

} // namespace

Q_DECLARE_METATYPE(Entries)

class TestExportDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void menuItemFollowsTheSvgSave_data();
    void menuItemFollowsTheSvgSave();
    void dialogIsModalToItsWindowWithoutMinimising();

    void sizesComeToPixelsAndResolution_data();
    void sizesComeToPixelsAndResolution();
    void resolutionStartsAtTheSizesOwn();
    void unusableEntriesDisableExportAndSayWhy_data();
    void unusableEntriesDisableExportAndSayWhy();
    void previewKeepsTheFramesShape_data();
    void previewKeepsTheFramesShape();
    void unitChangeKeepsThePixels_data();
    void unitChangeKeepsThePixels();
    void unitsInTurnStayWithinAPixel_data();
    void unitsInTurnStayWithinAPixel();
    void resolutionChangeKeepsTheLengths();
    void presetShowsItsSizeGreyed_data();
    void presetShowsItsSizeGreyed();
    void choicesAreRememberedForTheNextTime();
    void unfinishedExportLeavesTheChoicesAsBefore_data();
    void unfinishedExportLeavesTheChoicesAsBefore();

    void fileDialogIsAskedForTheFormat_data();
    void fileDialogIsAskedForTheFormat();
    void fileDialogOpensInPicturesTheFirstTime();

    void exportWritesPictureOfTheChosenSize_data();
    void exportWritesPictureOfTheChosenSize();
    void exportWritesSvgAndPdf_data();
    void exportWritesSvgAndPdf();
    void cancelledExportLeavesNoFile();
    void closingTheWindowStopsTheExport();
    void failureIsReportedInChinese();
    void runnerReportsProgressAndResult();

    void saveFolderIsRememberedAcrossMenus_data();
    void saveFolderIsRememberedAcrossMenus();

private:
    QTemporaryDir m_saves;
};

void TestExportDialog::initTestCase()
{
    QVERIFY(m_saves.isValid());
    QVERIFY(QDir().mkpath(picturesFolder()));
    QVERIFY(slideOf(plainCode).picture);
    QVERIFY(slideOf(gradientCode).picture);
}

void TestExportDialog::init()
{
    // An export's report is queued behind its runner, which a test may see gone first: the report
    // (remembering that export's choices) belongs to the test before and runs now. Then every
    // test starts as on the first run.
    QCoreApplication::sendPostedEvents();
    programSettings()->clear();
}

void TestExportDialog::menuItemFollowsTheSvgSave_data()
{
    QTest::addColumn<bool>("withPicture");
    QTest::newRow("a slide shown") << true;
    QTest::newRow("nothing to save") << false;
}

void TestExportDialog::menuItemFollowsTheSvgSave()
{
    QFETCH(bool, withPicture);
    CanvasWindow fixture;
    if (!withPicture)
        fixture.shown.picture.reset();
    fixture.openMenu();
    const QList<QAction*> actions = fixture.menu->menu()->actions();
    QAction* item = fixture.action("actExportPattern");
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("导出图案…"));
    QCOMPARE(actions.indexOf(item), actions.indexOf(fixture.action("actSaveSvg")) + 1);
    QCOMPARE(item->isEnabled(), withPicture);
    QCOMPARE(item->isEnabled(), fixture.action("actSavePng")->isEnabled());
    QVERIFY(item->shortcut().isEmpty());

    // Without a picture, nothing opens even when the item is triggered another way.
    if (!withPicture) {
        ModalDialog<ExportDialog> watcher([](ExportDialog*) {}, Answer::Once, 300);
        fixture.menu->exportShownPattern();
        QTest::qWait(400);
        QCOMPARE(watcher.answered(), 0);
    }
}

void TestExportDialog::dialogIsModalToItsWindowWithoutMinimising()
{
    CanvasWindow fixture;
    QStringList formats;
    QStringList sizes;
    QStringList units;
    ModalDialog<ExportDialog> answer([&](ExportDialog* dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("frmExportPattern"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("导出图案"));
        QCOMPARE(dialog->parentWidget(), &fixture.window);
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(dialog->exportButton->isDefault());
        QCOMPARE(dialog->exportButton->text(), QStringLiteral("导出…"));
        QCOMPARE(dialog->cancelButton->text(), QStringLiteral("取消"));
        for (const char* name : {"cboExportFormat", "cboExportSize", "optPortrait", "optLandscape", "txtExportWidth",
                                 "txtExportHeight", "cboExportUnit", "txtExportDpi", "lblExportPixels",
                                 "picExportPreview", "cmdExport", "cmdCancel"})
            QVERIFY2(dialog->findChild<QWidget*>(QLatin1String(name)), name);
        for (int i = 0; i < dialog->formatBox->count(); ++i)
            formats << dialog->formatBox->itemText(i);
        for (int i = 0; i < dialog->sizeBox->count(); ++i)
            sizes << dialog->sizeBox->itemText(i);
        for (int i = 0; i < dialog->unitBox->count(); ++i)
            units << dialog->unitBox->itemText(i);
        // The first time: a full HD screen.
        QCOMPARE(dialog->pixelsLabel->text(), QStringLiteral("1920 × 1080 像素，96 dpi"));
        dialog->cancelButton->click();
    });
    int asked = 0;
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) {
        ++asked;
        return QString();
    });
    fixture.openMenu();
    fixture.action("actExportPattern")->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(asked, 0); // cancelled: no file dialog
    QCOMPARE(formats, (QStringList{"PNG", "SVG", "PDF"}));
    QStringList expectedSizes;
    for (const ScreenPreset& preset : screenPresets())
        expectedSizes << preset.label;
    expectedSizes << "A4" << "A3" << "A2" << QStringLiteral("自定义");
    QCOMPARE(sizes, expectedSizes);
    QCOMPARE(units, (QStringList{QStringLiteral("像素"), QStringLiteral("毫米"), QStringLiteral("厘米"), QStringLiteral("英寸")}));
}

void TestExportDialog::sizesComeToPixelsAndResolution_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<double>("dpi");
    for (const ScreenPreset& preset : screenPresets()) {
        Entries screen;
        screen.size = preset.label;
        QTest::addRow("%s", qPrintable(preset.label)) << screen << preset.size << 96.0;
    }
    Entries screenAt72;
    screenAt72.dpi = QStringLiteral("72");
    QTest::newRow("screen, resolution only written") << screenAt72 << QSize(1920, 1080) << 72.0;

    const struct
    {
        const char* paper;
        bool landscape;
        const char* dpi;
        QSize pixels;
        double dpiValue;
    } papers[] = {{"A4", false, "", QSize(2480, 3508), 300}, {"A4", true, "", QSize(3508, 2480), 300},
                  {"A3", false, "", QSize(3508, 4961), 300}, {"A3", true, "", QSize(4961, 3508), 300},
                  {"A2", false, "", QSize(4961, 7016), 300}, {"A4", false, "150", QSize(1240, 1754), 150},
                  {"A4", true, "72.5", QSize(848, 599), 72.5}};
    for (const auto& paper : papers) {
        Entries sheet;
        sheet.size = QLatin1String(paper.paper);
        sheet.landscape = paper.landscape;
        if (*paper.dpi)
            sheet.dpi = QLatin1String(paper.dpi);
        QTest::addRow("%s %s at %s dpi", paper.paper, paper.landscape ? "landscape" : "portrait",
                      *paper.dpi ? paper.dpi : "300")
            << sheet << paper.pixels << paper.dpiValue;
    }

    QTest::newRow("pixels") << custom("1000", "500", QStringLiteral("像素"), "96") << QSize(1000, 500) << 96.0;
    QTest::newRow("pixels, blanks around") << custom(" 640 ", "480 ", QStringLiteral("像素"), " 120") << QSize(640, 480)
                                           << 120.0;
    QTest::newRow("pixels, largest side") << custom("65535", "1", QStringLiteral("像素"), "96") << QSize(65535, 1) << 96.0;
    QTest::newRow("millimetres") << custom("100", "50", QStringLiteral("毫米"), "300") << QSize(1181, 591) << 300.0;
    QTest::newRow("centimetres") << custom("10", "5", QStringLiteral("厘米"), "300") << QSize(1181, 591) << 300.0;
    QTest::newRow("inches") << custom("4", "3", QStringLiteral("英寸"), "72") << QSize(288, 216) << 72.0;
    QTest::newRow("inches, fractions") << custom("2.5", "1.5", QStringLiteral("英寸"), "200") << QSize(500, 300) << 200.0;
    QTest::newRow("exponent") << custom("1e3", "2E2", QStringLiteral("像素"), "96") << QSize(1000, 200) << 96.0;
}

void TestExportDialog::sizesComeToPixelsAndResolution()
{
    QFETCH(Entries, entries);
    QFETCH(QSize, pixels);
    QFETCH(double, dpi);
    ExportDialog dialog(slideOf(plainCode).picture, nullptr);
    entries.enterInto(&dialog);
    QVERIFY2(dialog.reading().frame, qPrintable(dialog.reading().problem));
    QCOMPARE(dialog.reading().frame->pixels, pixels);
    QCOMPARE(dialog.reading().frame->dpi, dpi);
    QCOMPARE(dialog.reading().frame->paper.has_value(), entries.size.startsWith(u'A'));
    QVERIFY(dialog.exportButton->isEnabled());
    QCOMPARE(dialog.pixelsLabel->text(), QStringLiteral("%1 × %2 像素，%3 dpi")
                                                 .arg(pixels.width())
                                                 .arg(pixels.height())
                                                 .arg(QString::number(dpi)));
}

void TestExportDialog::resolutionStartsAtTheSizesOwn()
{
    ExportDialog dialog(slideOf(plainCode).picture, nullptr);
    QCOMPARE(dialog.dpiBox->text(), QStringLiteral("96"));
    dialog.sizeBox->setCurrentText(QStringLiteral("A4"));
    QCOMPARE(dialog.dpiBox->text(), QStringLiteral("300"));
    QCOMPARE(dialog.reading().frame->pixels, QSize(2480, 3508));
    // A resolution typed for paper stays while another sheet or a size of one's own is chosen.
    dialog.dpiBox->setText(QStringLiteral("150"));
    dialog.sizeBox->setCurrentText(QStringLiteral("A3"));
    QCOMPARE(dialog.dpiBox->text(), QStringLiteral("150"));
    QCOMPARE(dialog.reading().frame->pixels, QSize(1754, 2480));
    dialog.sizeBox->setCurrentText(QStringLiteral("自定义"));
    QCOMPARE(dialog.dpiBox->text(), QStringLiteral("150"));
    // Orientation belongs to paper, width and height to a size of one's own.
    QVERIFY(!dialog.landscapeButton->isEnabled());
    QVERIFY(dialog.widthBox->isEnabled() && dialog.unitBox->isEnabled());
    dialog.sizeBox->setCurrentText(QStringLiteral("3840 × 2160 (4K)"));
    QCOMPARE(dialog.dpiBox->text(), QStringLiteral("96"));
    QVERIFY(!dialog.widthBox->isEnabled() && !dialog.portraitButton->isEnabled());
    dialog.sizeBox->setCurrentText(QStringLiteral("A2"));
    QVERIFY(dialog.landscapeButton->isEnabled());
}

void TestExportDialog::unusableEntriesDisableExportAndSayWhy_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("reason"); // a word the explanation must hold
    const QString px = QStringLiteral("像素");
    const QString mm = QStringLiteral("毫米");
    QTest::newRow("empty width") << custom("", "500", px, "96") << QStringLiteral("宽度");
    QTest::newRow("blank height") << custom("500", "   ", px, "96") << QStringLiteral("高度");
    QTest::newRow("letters") << custom("abc", "500", px, "96") << QStringLiteral("数字");
    QTest::newRow("decimal comma") << custom("1,5", "500", QStringLiteral("英寸"), "96") << QStringLiteral("数字");
    QTest::newRow("full-width digits") << custom(QStringLiteral("１２"), "500", px, "96") << QStringLiteral("数字");
    QTest::newRow("two numbers") << custom("12 34", "500", px, "96") << QStringLiteral("数字");
    QTest::newRow("not a number") << custom("nan", "500", px, "96") << QStringLiteral("数字");
    QTest::newRow("infinite") << custom("inf", "500", px, "96") << QStringLiteral("数字");
    QTest::newRow("beyond double") << custom("1e400", "500", px, "96") << QStringLiteral("数字");
    QTest::newRow("zero") << custom("0", "500", px, "96") << QStringLiteral("65535");
    QTest::newRow("below half a pixel") << custom("0.4", "500", px, "96") << QStringLiteral("65535");
    QTest::newRow("negative") << custom("-20", "500", px, "96") << QStringLiteral("65535");
    QTest::newRow("one pixel too many") << custom("500", "65536", px, "96") << QStringLiteral("高度");
    QTest::newRow("too long in millimetres") << custom("6000", "100", mm, "300") << QStringLiteral("65535");
    QTest::newRow("long digits") << custom(QString(32, u'9'), "500", px, "96") << QStringLiteral("65535");
    QTest::newRow("no resolution") << custom("500", "500", px, "") << QStringLiteral("分辨率");
    QTest::newRow("resolution zero") << custom("500", "500", mm, "0") << QStringLiteral("30000");
    QTest::newRow("resolution too high") << custom("500", "500", px, "30001") << QStringLiteral("30000");
    QTest::newRow("resolution letters") << custom("500", "500", px, "dpi") << QStringLiteral("分辨率");
    Entries paper;
    paper.size = QStringLiteral("A2");
    paper.dpi = QStringLiteral("30000");
    QTest::newRow("paper beyond the largest side") << paper << QStringLiteral("65535");
    Entries screen;
    screen.dpi = QStringLiteral("-96");
    QTest::newRow("screen, negative resolution") << screen << QStringLiteral("分辨率");
}

void TestExportDialog::unusableEntriesDisableExportAndSayWhy()
{
    QFETCH(Entries, entries);
    QFETCH(QString, reason);
    ExportDialog dialog(slideOf(plainCode).picture, nullptr);
    entries.enterInto(&dialog);
    QVERIFY(!dialog.reading().frame);
    QVERIFY(!dialog.exportButton->isEnabled());
    QVERIFY2(dialog.pixelsLabel->text().contains(reason), qPrintable(dialog.pixelsLabel->text()));
    // The explanation stands where the pixel size would.
    QVERIFY(!dialog.pixelsLabel->text().contains(QRegularExpression(QStringLiteral("\\d+ × \\d+ 像素"))));
    QVERIFY(dialog.previewLabel->pixmap().isNull());
    // Pressed anyway (Enter on the default button): nothing is accepted.
    dialog.exportButton->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    // Put right, the entries can be exported again.
    if (entries.size == QStringLiteral("自定义"))
        custom("800", "600", QStringLiteral("像素"), "96").enterInto(&dialog);
    else
        dialog.dpiBox->setText(QStringLiteral("96"));
    QVERIFY(dialog.exportButton->isEnabled());
    QVERIFY(!dialog.previewLabel->pixmap().isNull());
}

void TestExportDialog::previewKeepsTheFramesShape_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("code");
    QTest::newRow("full HD") << Entries() << plainCode;
    Entries portrait;
    portrait.size = QStringLiteral("A4");
    QTest::newRow("A4 portrait") << portrait << plainCode;
    Entries landscape = portrait;
    landscape.landscape = true;
    QTest::newRow("A4 landscape, gradient") << landscape << gradientCode;
    QTest::newRow("wide strip") << custom("3000", "100", QStringLiteral("像素"), "96") << plainCode;
    QTest::newRow("square") << custom("20", "20", QStringLiteral("厘米"), "300") << gradientCode;
}

void TestExportDialog::previewKeepsTheFramesShape()
{
    QFETCH(Entries, entries);
    QFETCH(QString, code);
    const Slide slide = slideOf(code);
    ExportDialog dialog(slide.picture, nullptr);
    // Shown first at another shape, so the preview has to follow the change.
    custom("100", "1000", QStringLiteral("像素"), "96").enterInto(&dialog);
    const qint64 before = dialog.previewLabel->pixmap().cacheKey();
    entries.enterInto(&dialog);
    QVERIFY(dialog.reading().frame);
    const QSize frame = dialog.reading().frame->pixels;
    const QImage preview = dialog.previewLabel->pixmap().toImage();
    QVERIFY(!preview.isNull());
    QVERIFY(dialog.previewLabel->pixmap().cacheKey() != before);

    // Small, inside the box, touching it on one side, in the frame's proportions.
    const QSize box = ExportDialog::previewBox();
    QVERIFY(preview.width() <= box.width() && preview.height() <= box.height());
    QVERIFY(preview.width() == box.width() || preview.height() == box.height());
    const double exactWidth = double(preview.height()) * frame.width() / frame.height();
    const double exactHeight = double(preview.width()) * frame.height() / frame.width();
    QVERIFY2(std::abs(preview.width() - exactWidth) <= 1 || std::abs(preview.height() - exactHeight) <= 1,
             qPrintable(QStringLiteral("%1 x %2 for %3 x %4")
                            .arg(preview.width())
                            .arg(preview.height())
                            .arg(frame.width())
                            .arg(frame.height())));
    // The frame is covered by the pattern's background: no bands of another colour at its edges.
    if (!slide.picture->canvasBackground().source) {
        const QRgb background = slide.picture->canvasBackground().colour | 0xFF000000u;
        QCOMPARE(preview.pixel(0, 0) | 0xFF000000u, background);
        QCOMPARE(preview.pixel(preview.width() - 1, preview.height() - 1) | 0xFF000000u, background);
    }
}

void TestExportDialog::unitChangeKeepsThePixels_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QSize>("pixels"); // empty: the entries make no frame
    const QString px = QStringLiteral("像素");
    const QString mm = QStringLiteral("毫米");
    const QString cm = QStringLiteral("厘米");
    const QString in = QStringLiteral("英寸");
    QTest::newRow("pixels to millimetres") << custom("1920", "1080", px, "300") << mm << "162.56" << "91.44"
                                           << QSize(1920, 1080);
    QTest::newRow("pixels to inches") << custom("1920", "1080", px, "96") << in << "20" << "11.25" << QSize(1920, 1080);
    QTest::newRow("pixels to centimetres, rounded") << custom("1000", "333", px, "96") << cm << "26.46" << "8.81"
                                                    << QSize(1000, 333);
    QTest::newRow("millimetres to pixels") << custom("210", "297", mm, "300") << px << "2480" << "3508"
                                           << QSize(2480, 3508);
    QTest::newRow("inches to centimetres") << custom("8.5", "11", in, "300") << cm << "21.59" << "27.94"
                                           << QSize(2550, 3300);
    QTest::newRow("centimetres to millimetres") << custom("12.5", "3.3", cm, "96") << mm << "125" << "33"
                                                << QSize(472, 125);
    // Two decimals of an inch are 12 pixels at 1200 dpi: as many more as the pixels need.
    QTest::newRow("inches at a high resolution") << custom("1081", "1", px, "1200") << in << "0.901" << "0.001"
                                                 << QSize(1081, 1);
    QTest::newRow("no number stays as typed") << custom("abc", "500", px, "96") << mm << "abc" << "132.29" << QSize();
}

// A size typed in one unit is the same size in another: the numbers follow, the pixels stay.
void TestExportDialog::unitChangeKeepsThePixels()
{
    QFETCH(Entries, entries);
    QFETCH(QString, unit);
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QSize, pixels);
    ExportDialog dialog(slideOf(plainCode).picture, nullptr);
    entries.enterInto(&dialog);
    dialog.unitBox->setCurrentText(unit);
    QCOMPARE(dialog.widthBox->text(), width);
    QCOMPARE(dialog.heightBox->text(), height);
    QCOMPARE(dialog.dpiBox->text(), entries.dpi.value());
    QCOMPARE(dialog.reading().frame.has_value(), !pixels.isEmpty());
    if (!pixels.isEmpty())
        QCOMPARE(dialog.reading().frame->pixels, pixels);
}

void TestExportDialog::unitsInTurnStayWithinAPixel_data()
{
    QTest::addColumn<QString>("dpi");
    for (const char* dpi : {"72", "72.5", "96", "300", "1200", "2400"})
        QTest::newRow(dpi) << QString::fromLatin1(dpi);
}

// Changed again and again, a size does not drift: each unit comes within a pixel of the start.
void TestExportDialog::unitsInTurnStayWithinAPixel()
{
    QFETCH(QString, dpi);
    ExportDialog dialog(slideOf(plainCode).picture, nullptr);
    custom("1917", "1077", QStringLiteral("像素"), dpi).enterInto(&dialog);
    const QStringList units{QStringLiteral("毫米"), QStringLiteral("厘米"), QStringLiteral("英寸"),
                            QStringLiteral("毫米"), QStringLiteral("像素"), QStringLiteral("英寸"),
                            QStringLiteral("厘米"), QStringLiteral("像素")};
    for (const QString& unit : units) {
        dialog.unitBox->setCurrentText(unit);
        QVERIFY2(dialog.reading().frame, qPrintable(unit));
        const QSize pixels = dialog.reading().frame->pixels;
        QVERIFY2(std::abs(pixels.width() - 1917) <= 1 && std::abs(pixels.height() - 1077) <= 1,
                 qPrintable(QStringLiteral("%1: %2 × %3 (%4 × %5)")
                                .arg(unit)
                                .arg(pixels.width())
                                .arg(pixels.height())
                                .arg(dialog.widthBox->text(), dialog.heightBox->text())));
    }
    QCOMPARE(dialog.widthBox->text(), QStringLiteral("1917"));
    QCOMPARE(dialog.heightBox->text(), QStringLiteral("1077"));
}

// A length is what the user measured; another resolution puts more or fewer pixels in it.
void TestExportDialog::resolutionChangeKeepsTheLengths()
{
    ExportDialog dialog(slideOf(plainCode).picture, nullptr);
    custom("100", "50", QStringLiteral("毫米"), "300").enterInto(&dialog);
    QCOMPARE(dialog.reading().frame->pixels, QSize(1181, 591));
    dialog.dpiBox->setText(QStringLiteral("150"));
    QCOMPARE(dialog.widthBox->text(), QStringLiteral("100"));
    QCOMPARE(dialog.heightBox->text(), QStringLiteral("50"));
    QCOMPARE(dialog.reading().frame->pixels, QSize(591, 295));
}

void TestExportDialog::presetShowsItsSizeGreyed_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("dpi"); // empty: the size's own
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    const QString px = QStringLiteral("像素");
    QTest::newRow("A4 in pixels") << "A4" << false << px << "" << "2480" << "3508";
    QTest::newRow("A4 in millimetres") << "A4" << false << QStringLiteral("毫米") << "" << "210" << "297";
    QTest::newRow("A4 at 150 dpi") << "A4" << false << px << "150" << "1240" << "1754";
    QTest::newRow("A3 landscape in centimetres") << "A3" << true << QStringLiteral("厘米") << "" << "42" << "29.7";
    QTest::newRow("A4 in inches, to the pixel") << "A4" << false << QStringLiteral("英寸") << "" << "8.268" << "11.693";
    QTest::newRow("full HD in pixels") << QStringLiteral("1920 × 1080") << false << px << "" << "1920" << "1080";
    QTest::newRow("full HD in millimetres at 72 dpi")
        << QStringLiteral("1920 × 1080") << false << QStringLiteral("毫米") << "72" << "677.33" << "381";
    QTest::newRow("4K in inches") << QStringLiteral("3840 × 2160 (4K)") << false << QStringLiteral("英寸") << ""
                                  << "40" << "22.5";
}

// A screen or a sheet shows its real size in the greyed boxes; the size of one's own comes back
// when it is chosen again.
void TestExportDialog::presetShowsItsSizeGreyed()
{
    QFETCH(QString, size);
    QFETCH(bool, landscape);
    QFETCH(QString, unit);
    QFETCH(QString, dpi);
    QFETCH(QString, width);
    QFETCH(QString, height);
    ExportDialog dialog(slideOf(plainCode).picture, nullptr);
    custom("640", "480", unit, "96").enterInto(&dialog);
    dialog.sizeBox->setCurrentText(size);
    (landscape ? dialog.landscapeButton : dialog.portraitButton)->setChecked(true);
    if (!dpi.isEmpty())
        dialog.dpiBox->setText(dpi);
    QVERIFY(!dialog.widthBox->isEnabled() && !dialog.heightBox->isEnabled());
    QCOMPARE(dialog.widthBox->text(), width);
    QCOMPARE(dialog.heightBox->text(), height);

    dialog.sizeBox->setCurrentText(QStringLiteral("自定义"));
    QVERIFY(dialog.widthBox->isEnabled());
    QCOMPARE(dialog.widthBox->text(), QStringLiteral("640"));
    QCOMPARE(dialog.heightBox->text(), QStringLiteral("480"));
    QCOMPARE(lengthUnitLabel(dialog.choice().unit), unit);
}

// The dialog starts from the choices of the last finished export: the canvas menu remembers what
// the dialog was left with once the file is written.
void TestExportDialog::choicesAreRememberedForTheNextTime()
{
    Entries first = custom("123.5", "80", QStringLiteral("毫米"), "200");
    first.format = QStringLiteral("PDF");
    Entries second;
    second.format = QStringLiteral("SVG");
    second.size = QStringLiteral("A3");
    second.landscape = true;
    second.dpi = QStringLiteral("150");
    for (const Entries& entries : {first, second}) {
        CanvasWindow fixture;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("written.") + entries.format.toLower());
        fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return path; });
        QSignalSpy written(fixture.menu, &CanvasMenu::patternWritten);
        ModalDialog<ExportDialog> exported([&](ExportDialog* dialog) {
            entries.enterInto(dialog);
            dialog->exportButton->click();
        });
        fixture.openMenu();
        fixture.action("actExportPattern")->trigger();
        QVERIFY(exported.answered());
        QVERIFY2(written.wait(exportTimeout), "the export to be written");
        QVERIFY(written.constFirst().at(1).value<OutputResult>().ok());

        ExportChoice shown;
        FrameReading reading;
        ModalDialog<ExportDialog> answer([&](ExportDialog* dialog) {
            shown = dialog->choice();
            reading = dialog->reading();
            dialog->cancelButton->click();
        });
        fixture.openMenu();
        fixture.action("actExportPattern")->trigger();
        QVERIFY(answer.answered());
        QCOMPARE(exportFormatLabel(shown.format), entries.format);
        QCOMPARE(shown.size, sizeIndex(entries.size));
        QCOMPARE(shown.landscape, entries.landscape);
        QCOMPARE(shown.dpi, entries.dpi.value());
        if (entries.size == QStringLiteral("自定义")) {
            QCOMPARE(lengthUnitLabel(shown.unit), entries.unit);
            QCOMPARE(shown.width, entries.width.value());
            QCOMPARE(shown.height, entries.height.value());
            QCOMPARE(reading.frame->pixels, QSize(972, 630)); // 123.5 x 80 mm at 200 dpi
        } else {
            QCOMPARE(reading.frame->pixels, QSize(2480, 1754));
            // The size of one's own from before stays for when it is chosen again.
            QCOMPARE(shown.width, first.width.value());
            QCOMPARE(lengthUnitLabel(shown.unit), first.unit);
        }
    }
}

void TestExportDialog::unfinishedExportLeavesTheChoicesAsBefore_data()
{
    QTest::addColumn<bool>("pressExport");
    QTest::newRow("export dialog cancelled") << false;
    QTest::newRow("file dialog cancelled") << true;
}

// Choices count once their export is written: an export given up on the way leaves those of the
// last finished one.
void TestExportDialog::unfinishedExportLeavesTheChoicesAsBefore()
{
    QFETCH(bool, pressExport);
    ExportChoice before;
    before.format = ExportFormat::Svg;
    before.size = sizeIndex(QStringLiteral("自定义"));
    before.unit = LengthUnit::Millimetres;
    before.width = QStringLiteral("123.5");
    before.height = QStringLiteral("80");
    before.dpi = QStringLiteral("200");
    rememberExportChoice(before);
    QCOMPARE(rememberedExportChoice(), before);

    CanvasWindow fixture;
    int asked = 0;
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) {
        ++asked;
        return QString();
    });
    Entries other;
    other.format = QStringLiteral("PDF");
    other.size = QStringLiteral("A3");
    other.landscape = true;
    other.dpi = QStringLiteral("150");
    ModalDialog<ExportDialog> answer([&](ExportDialog* dialog) {
        other.enterInto(dialog);
        (pressExport ? dialog->exportButton : dialog->cancelButton)->click();
    });
    fixture.openMenu();
    fixture.action("actExportPattern")->trigger();
    QVERIFY(answer.answered());
    QCOMPARE(asked, pressExport ? 1 : 0);
    QVERIFY(!fixture.runner());
    QCOMPARE(rememberedExportChoice(), before);
}

void TestExportDialog::fileDialogIsAskedForTheFormat_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("PNG") << "PNG" << "png";
    QTest::newRow("SVG") << "SVG" << "svg";
    QTest::newRow("PDF") << "PDF" << "pdf";
}

void TestExportDialog::fileDialogIsAskedForTheFormat()
{
    QFETCH(QString, format);
    QFETCH(QString, suffix);
    CanvasWindow fixture;
    QTemporaryDir remembered;
    rememberSaveFolder(remembered.filePath(QStringLiteral("earlier.png")));
    SaveRequest asked;
    QWidget* askedOwner = nullptr;
    fixture.menu->setFileChooser([&](QWidget* owner, const SaveRequest& request) {
        asked = request;
        askedOwner = owner;
        return QString();
    });
    Entries entries;
    entries.format = format;
    QVERIFY(exportThroughDialog(fixture, entries));
    QCOMPARE(askedOwner, &fixture.window);
    QCOMPARE(asked.title, QStringLiteral("导出图案"));
    QCOMPARE(asked.fileName, sanitizedBaseName(fixture.shown.code) + u'.' + suffix);
    QVERIFY(asked.fileName.startsWith(QStringLiteral("QRV")));
    QCOMPARE(asked.suffix, suffix);
    QVERIFY2(asked.nameFilter.contains(QStringLiteral("*.") + suffix), qPrintable(asked.nameFilter));
    QCOMPARE(QDir(asked.folder), QDir(remembered.path()));
    // Cancelled there: no export starts.
    QVERIFY(!fixture.runner());
    QVERIFY(!fixture.progress());
}

void TestExportDialog::fileDialogOpensInPicturesTheFirstTime()
{
    CanvasWindow fixture;
    QString title;
    QString folder;
    QStringList offered;
    bool native = true;
    bool confirms = false;
    ModalDialog<QFileDialog> files([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        folder = dialog->directory().absolutePath();
        offered = dialog->selectedFiles();
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
        static_cast<QDialog*>(dialog)->reject();
    });
    Entries entries;
    entries.format = QStringLiteral("SVG");
    QVERIFY(exportThroughDialog(fixture, entries));
    QVERIFY(files.answered());
    QCOMPARE(title, QStringLiteral("导出图案"));
    QCOMPARE(QDir(folder), QDir(picturesFolder()));
    QCOMPARE(offered.value(0), QDir(picturesFolder()).filePath(sanitizedBaseName(fixture.shown.code) + ".svg"));
    QVERIFY(!native);
    QVERIFY(confirms);

    // A remembered folder that has gone since: Pictures again.
    {
        QTemporaryDir gone;
        rememberSaveFolder(gone.filePath(QStringLiteral("x.png")));
        QCOMPARE(QDir(rememberedSaveFolder()), QDir(gone.path()));
    }
    QCOMPARE(QDir(rememberedSaveFolder()), QDir(picturesFolder()));
}

void TestExportDialog::exportWritesPictureOfTheChosenSize_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("chosenName");
    QTest::addColumn<QString>("writtenName");
    QTest::addColumn<QByteArray>("pictureFormat");
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<double>("dpi");
    Entries sheet;
    sheet.size = QStringLiteral("A4");
    sheet.landscape = true;
    sheet.dpi = QStringLiteral("100");
    QTest::newRow("A4 landscape at 100 dpi") << sheet << "sheet.png" << "sheet.png" << QByteArray("png")
                                              << QSize(1169, 827) << 100.0;
    QTest::newRow("millimetres at 254 dpi") << custom("50", "20", QStringLiteral("毫米"), "254") << "small.png"
                                            << "small.png" << QByteArray("png") << QSize(500, 200) << 254.0;
    QTest::newRow("full HD") << Entries() << "screen.png" << "screen.png" << QByteArray("png") << QSize(1920, 1080)
                             << 96.0;
    QTest::newRow("typed as JPEG") << custom("640", "480", QStringLiteral("像素"), "72") << "photo.jpg" << "photo.jpg"
                                   << QByteArray("jpeg") << QSize(640, 480) << 72.0;
    QTest::newRow("unknown extension") << custom("300", "200", QStringLiteral("像素"), "96") << "pattern.txt"
                                       << "pattern.txt.png" << QByteArray("png") << QSize(300, 200) << 96.0;
}

void TestExportDialog::exportWritesPictureOfTheChosenSize()
{
    QFETCH(Entries, entries);
    QFETCH(QString, chosenName);
    QFETCH(QString, writtenName);
    QFETCH(QByteArray, pictureFormat);
    QFETCH(QSize, pixels);
    QFETCH(double, dpi);
    CanvasWindow fixture;
    fixture.shown = slideOf(gradientCode);
    QTemporaryDir folder;
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return folder.filePath(chosenName); });
    QString reported;
    fixture.menu->setErrorReporter([&](QWidget*, const QString& message) { reported = message; });
    QVERIFY(exportThroughDialog(fixture, entries));
    WAIT_FOR(!fixture.runner() && QFileInfo::exists(folder.filePath(writtenName)), "the exported file", exportTimeout);
    QVERIFY2(reported.isEmpty(), qPrintable(reported));
    QCOMPARE(filesIn(folder.path()), QStringList{writtenName});

    const QString path = folder.filePath(writtenName);
    QImageReader reader(path);
    QCOMPARE(reader.format(), pictureFormat);
    const QImage image = reader.read();
    QCOMPARE(image.size(), pixels);
    if (pictureFormat == "png") {
        // pHYs holds the resolution in pixels per metre.
        QCOMPARE(image.dotsPerMeterX(), int(std::lround(dpi / 0.0254)));
        QCOMPARE(image.dotsPerMeterY(), int(std::lround(dpi / 0.0254)));
        const PatternFileCode read = readPatternFileCode(path);
        QCOMPARE(read.problem, PatternFileProblem::None);
        QCOMPARE(read.code, fixture.shown.fullCode);
    }
    // The progress dialog has gone with the export, and the folder is remembered.
    WAIT_FOR(!fixture.progress(), "the progress dialog to go", 5000);
    QCOMPARE(QDir(rememberedSaveFolder()), QDir(folder.path()));
}

void TestExportDialog::exportWritesSvgAndPdf_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("size"); // what the file says of its size
    Entries svgSheet;
    svgSheet.format = QStringLiteral("SVG");
    svgSheet.size = QStringLiteral("A4");
    QTest::newRow("SVG, A4") << svgSheet << "sheet.svg" << QByteArray("<?xml") << QByteArray("width=\"210.00mm\"");
    Entries svgScreen;
    svgScreen.format = QStringLiteral("SVG");
    QTest::newRow("SVG, full HD") << svgScreen << "screen.svg" << QByteArray("<?xml") << QByteArray("width=\"1920\"");
    Entries pdfSheet = svgSheet;
    pdfSheet.format = QStringLiteral("PDF");
    pdfSheet.landscape = true;
    QTest::newRow("PDF, A4 landscape") << pdfSheet << "sheet.pdf" << QByteArray("%PDF-")
                                       << QByteArray("/MediaBox [0 0 841.889");
    Entries pdfCustom = custom("4", "2", QStringLiteral("英寸"), "150");
    pdfCustom.format = QStringLiteral("PDF");
    QTest::newRow("PDF, inches") << pdfCustom << "inches.pdf" << QByteArray("%PDF-") << QByteArray("/MediaBox [0 0 288.0");
}

void TestExportDialog::exportWritesSvgAndPdf()
{
    QFETCH(Entries, entries);
    QFETCH(QString, name);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, size);
    CanvasWindow fixture;
    QTemporaryDir folder;
    SaveRequest asked;
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest& request) {
        asked = request;
        return folder.filePath(name);
    });
    QString reported;
    fixture.menu->setErrorReporter([&](QWidget*, const QString& message) { reported = message; });
    QVERIFY(exportThroughDialog(fixture, entries));
    const QString path = folder.filePath(name);
    WAIT_FOR(!fixture.runner() && QFileInfo::exists(path), "the exported file", exportTimeout);
    QVERIFY2(reported.isEmpty(), qPrintable(reported));
    QCOMPARE(asked.suffix, QFileInfo(name).suffix());
    QCOMPARE(filesIn(folder.path()), QStringList{name});
    const QByteArray bytes = contentsOf(path);
    QVERIFY(bytes.startsWith(start));
    const qsizetype said = std::max<qsizetype>(0, bytes.indexOf(size.left(6)));
    QVERIFY2(bytes.contains(size), bytes.mid(said, 60).constData());
    QVERIFY(bytes.contains(fixture.shown.fullCode.toLatin1()));
    if (name.endsWith(QStringLiteral(".svg")))
        QCOMPARE(readPatternFileCode(path).code, fixture.shown.fullCode);
}

void TestExportDialog::cancelledExportLeavesNoFile()
{
    CanvasWindow fixture;
    fixture.shown = slideOf(gradientCode);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("huge.png"));
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return path; });
    int reports = 0;
    fixture.menu->setErrorReporter([&](QWidget*, const QString&) { ++reports; });
    // The window's own timers go on while the worker draws.
    int ticks = 0;
    QTimer slideShow;
    connect(&slideShow, &QTimer::timeout, [&] { ++ticks; });
    slideShow.start(10);

    QVERIFY(exportThroughDialog(fixture, hugeExport()));
    QProgressDialog* progress = fixture.progress();
    QVERIFY(progress);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->windowModality(), Qt::WindowModal);
    QCOMPARE(progress->parentWidget(), &fixture.window);
    QCOMPARE(progress->labelText(), QStringLiteral("正在导出…"));
    QCOMPARE(progress->maximum(), 100);
    auto* cancel = progress->findChild<QPushButton*>();
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QStringLiteral("取消"));

    // Under way: the percentage moves.
    WAIT_FOR(progress->value() >= 1, "the export's progress to move", exportTimeout);
    QVERIFY(fixture.runner() && fixture.runner()->isRunning());
    const int ticksBefore = ticks;
    WAIT_FOR(ticks > ticksBefore + 2, "the show to tick on during the export", 5000);
    cancel->click();
    WAIT_FOR(!fixture.runner(), "the export to end", exportTimeout);
    WAIT_FOR(!fixture.progress(), "the progress dialog to go", 5000);
    QCOMPARE(filesIn(folder.path()), QStringList());
    QTest::qWait(50); // the queued report, were there one
    QCOMPARE(reports, 0);
    QVERIFY(QDir(rememberedSaveFolder()) != QDir(folder.path()));
    // Nor are its choices: the next export starts from the first run's.
    QCOMPARE(rememberedExportChoice(), ExportChoice());
}

void TestExportDialog::closingTheWindowStopsTheExport()
{
    auto fixture = std::make_unique<CanvasWindow>();
    fixture->shown = slideOf(gradientCode);
    QTemporaryDir folder;
    fixture->menu->setFileChooser([&](QWidget*, const SaveRequest&) { return folder.filePath(QStringLiteral("huge.png")); });
    int reports = 0;
    fixture->menu->setErrorReporter([&](QWidget*, const QString&) { ++reports; });
    QVERIFY(exportThroughDialog(*fixture, hugeExport()));
    WAIT_FOR(fixture->progress() && fixture->progress()->value() >= 1, "the export's progress to move", exportTimeout);
    QPointer<OutputRunner> runner = fixture->runner();
    QVERIFY(runner);
    fixture.reset(); // the window goes while the worker draws
    QVERIFY(!runner);
    QCOMPARE(filesIn(folder.path()), QStringList());
    QTest::qWait(100); // the queued report, were there one
    QCOMPARE(reports, 0);
}

void TestExportDialog::failureIsReportedInChinese()
{
    CanvasWindow fixture;
    QTemporaryDir folder;
    const QString taken = folder.filePath(QStringLiteral("taken.png"));
    QVERIFY(QDir().mkpath(taken));
    fixture.menu->setFileChooser([&](QWidget*, const SaveRequest&) { return taken; });
    QWidget* owner = nullptr;
    QString message;
    fixture.menu->setErrorReporter([&](QWidget* parent, const QString& text) {
        owner = parent;
        message = text;
    });
    QVERIFY(exportThroughDialog(fixture, Entries()));
    WAIT_FOR(!message.isEmpty(), "the export's failure message", exportTimeout);
    QCOMPARE(owner, &fixture.window);
    QCOMPARE(message, saveFailureMessage(taken, OutputError::TargetIsFolder));
    QVERIFY(QFileInfo(taken).isDir());
    WAIT_FOR(!fixture.runner() && !fixture.progress(), "the export and its progress dialog to go", 5000);
    QVERIFY(QDir(rememberedSaveFolder()) != QDir(folder.path()));
}

void TestExportDialog::runnerReportsProgressAndResult()
{
    QTemporaryDir folder;
    OutputJob job;
    const Slide slide = slideOf(plainCode);
    job.pattern.picture = slide.picture;
    job.pattern.code = slide.code;
    job.pattern.fullCode = slide.fullCode;
    job.frame = paperFrame(PaperSize::A4, false, 200);
    job.path = folder.filePath(QStringLiteral("runner.png"));

    OutputRunner runner(job);
    QSignalSpy progressed(&runner, &OutputRunner::progressed);
    QSignalSpy finished(&runner, &OutputRunner::finished);
    QVERIFY(!runner.isRunning());
    runner.start();
    QVERIFY(runner.isRunning());
    QVERIFY2(finished.wait(exportTimeout), "the export to end");
    QCOMPARE(finished.count(), 1);
    QVERIFY(runner.isFinished() && !runner.isRunning());
    const auto result = finished.at(0).at(0).value<OutputResult>();
    QVERIFY(result.ok());
    QVERIFY(runner.result().ok());
    QVERIFY(!progressed.isEmpty());
    QCOMPARE(progressed.last().at(0).toInt(), 100);
    QCOMPARE(QImageReader(job.path).size(), QSize(1654, 2339));

    // Cancelled before its first strip: the result says so and nothing is written.
    job.path = folder.filePath(QStringLiteral("cancelled.png"));
    OutputRunner cancelled(job);
    QSignalSpy cancelledFinished(&cancelled, &OutputRunner::finished);
    cancelled.cancel();
    cancelled.start();
    QVERIFY2(cancelledFinished.wait(exportTimeout), "the cancelled export to end");
    QCOMPARE(cancelled.result().error, OutputError::Cancelled);
    QVERIFY(!QFileInfo::exists(job.path));
}

void TestExportDialog::saveFolderIsRememberedAcrossMenus_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("PNG") << "actSavePng";
    QTest::newRow("PNG at four times") << "actSavePng4x";
    QTest::newRow("SVG") << "actSaveSvg";
    QTest::newRow("export") << "actExportPattern";
}

void TestExportDialog::saveFolderIsRememberedAcrossMenus()
{
    QFETCH(QString, item);
    QTemporaryDir folder;
    {
        CanvasWindow first;
        SaveRequest asked;
        first.menu->setFileChooser([&](QWidget*, const SaveRequest& request) {
            asked = request;
            return folder.filePath(QStringLiteral("saved.") + request.suffix);
        });
        if (item == QStringLiteral("actExportPattern")) {
            QVERIFY(exportThroughDialog(first, custom("200", "100", QStringLiteral("像素"), "96")));
            WAIT_FOR(!first.runner(), "the first export to end", exportTimeout);
        } else {
            first.openMenu();
            first.action(item.toLatin1().constData())->trigger();
        }
        QCOMPARE(QDir(asked.folder), QDir(picturesFolder()));
        WAIT_COMPARE(filesIn(folder.path()).size(), 1, "the exported file", 5000);
        // The file is in place before the save's report reaches the window: the window stays till then.
        WAIT_COMPARE(QDir(rememberedSaveFolder()), QDir(folder.path()), "the folder to be remembered", 5000);
    }
    // A fresh menu, as after starting the program again: its saves and exports start there.
    CanvasWindow second;
    QStringList folders;
    second.menu->setFileChooser([&](QWidget*, const SaveRequest& request) {
        folders << request.folder;
        return QString();
    });
    for (const char* save : {"actSavePng", "actSavePng4x", "actSaveSvg"}) {
        second.openMenu();
        second.action(save)->trigger();
    }
    QVERIFY(exportThroughDialog(second, Entries()));
    QCOMPARE(folders.size(), 4);
    for (const QString& asked : folders)
        QCOMPARE(QDir(asked), QDir(folder.path()));
    QCOMPARE(QDir(programSettings()->value(QStringLiteral("files/lastSaveFolder")).toString()), QDir(folder.path()));
}

int main(int argc, char** argv)
{
    // Settings and the Pictures folder of a home of the test's own, before Qt reads either.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qunsetenv("XDG_PICTURES_DIR");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    TestExportDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exportdialog.moc"
