// An export that cannot get the memory its drawing needs ends with the out-of-memory error and
// leaves no file: never a file holding another picture, never another reason.

#include "MemoryLimit.h"

#include "draw/output/OutputJob.h"
#include "draw/pattern/SlideReplay.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

SlideRecipe gradientSlide()
{
    SlideRecipe recipe;
    recipe.randomState = 0x2545F491u;
    recipe.width = 3;
    recipe.divisor = 90.0;
    recipe.backColour = RGB(30, 60, 90);
    recipe.gradient = GradientRecipe{RGB(0x0A, 0x3C, 0x46), RGB(0xF2, 0x50, 0x60), 45, QSize(1200, 900)};
    return recipe;
}

OutputJob pngJob(const SlideRecipe& recipe, QSize frame, const QString& path)
{
    OutputJob job;
    job.pattern.picture = slidePicture(recipe, &job.pattern.code);
    job.pattern.fullCode = QStringLiteral("TN1");
    job.frame.pixels = frame;
    job.format = ExportFormat::Png;
    job.path = path;
    return job;
}

// How a child's export ended.
enum Outcome { RightPicture = 0, OutOfMemoryAndNoFile = 1, OtherPicture = 2, OtherError = 3, FileLeft = 4, WrittenUnread = 5 };

} // namespace

class TestOutputMemory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void frameThatCannotBeHadIsOutOfMemory();
    void tightMemoryGivesTheRightPictureOrTheError_data();
    void tightMemoryGivesTheRightPictureOrTheError();
};

void TestOutputMemory::initTestCase()
{
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator aborts where the limit should make an allocation fail.
    QSKIP("the address-space limit is for the normal build: the sanitizer reserves terabytes");
#endif
}

// A WebP is drawn in one image: 7680 x 4320 pixels take 132 MB, which the child cannot map.
void TestOutputMemory::frameThatCannotBeHadIsOutOfMemory()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("poster.webp"));
    OutputJob job = pngJob(gradientSlide(), QSize(7680, 4320), path);
    job.format = ExportFormat::Webp;
    const LimitedRun run = runWithSpareMemory(rlim_t(64) << 20, [&] {
        const OutputResult result = runOutputJob(job);
        if (!QDir(folder.path()).isEmpty())
            return int(FileLeft);
        return result.error == OutputError::OutOfMemory ? int(OutOfMemoryAndNoFile) : int(OtherError);
    });
    QVERIFY2(run.exited(), run.timedOut ? "the child ran out of time" : "the child did not exit");
    QCOMPARE(run.status, int(OutOfMemoryAndNoFile));
}

void TestOutputMemory::tightMemoryGivesTheRightPictureOrTheError_data()
{
    QTest::addColumn<int>("spareKilobytes");
    for (const int spare : {256, 512, 1024, 1536, 2048, 3072, 4096, 6144, 8192, 16384, 65536})
        QTest::addRow("%d KiB to spare", spare) << spare;
}

// The slide is replayed and exported in a child that may map only so much more: whatever the
// limit, the file holds the slide's own pixels, or there is no file and the error says why.
void TestOutputMemory::tightMemoryGivesTheRightPictureOrTheError()
{
    QFETCH(int, spareKilobytes);
    const SlideRecipe recipe = gradientSlide();
    const QImage expected = slidePicture(recipe)->render(1.0).convertToFormat(QImage::Format_RGB32);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("slide.png"));
    const LimitedRun run = runWithSpareMemory(rlim_t(spareKilobytes) << 10, [&] {
        const OutputResult result = runOutputJob(pngJob(recipe, QSize(800, 800), path));
        const bool fileThere = !QDir(folder.path()).isEmpty();
        if (!result.ok())
            return result.error != OutputError::OutOfMemory ? int(OtherError) : fileThere ? int(FileLeft)
                                                                                          : int(OutOfMemoryAndNoFile);
        const QImage written(path);
        if (written.isNull())
            return int(WrittenUnread); // no room to read it back here: judged below
        return written.convertToFormat(QImage::Format_RGB32) == expected ? int(RightPicture) : int(OtherPicture);
    });
    QVERIFY2(run.exited(), run.timedOut ? "the child ran out of time" : "the child did not exit");
    if (run.status == WrittenUnread) {
        QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), expected);
        return;
    }
    QVERIFY2(run.status == RightPicture || run.status == OutOfMemoryAndNoFile,
             qPrintable(QStringLiteral("outcome %1").arg(run.status)));
}

QTEST_MAIN(TestOutputMemory)
#include "tst_outputmemory.moc"
