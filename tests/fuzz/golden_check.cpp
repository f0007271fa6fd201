// The golden codes drawn by a build of another compiler: every code must give the picture whose
// SHA-256 the table holds, as the g++ build's test checks. Usage: golden_check TABLE
#include "../PatternCodeFixtures.h"

#include "draw/pattern/PatternCode.h"
#include "draw/pattern/SlideReplay.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: golden_check TABLE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "golden_check: cannot read %s\n", argv[1]);
        return 2;
    }
    int passed = 0, failed = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.split('\t');
        const auto recipe = PatternCode::decode(QString::fromLatin1(fields.value(0))).recipe;
        if (recipe && fields.size() == 2 && pictureDigest(*slidePicture(*recipe)) == fields[1]) {
            ++passed;
        } else {
            ++failed;
            std::fprintf(stderr, "golden_check: %s draws another picture\n", fields.value(0).constData());
        }
    }
    std::printf("golden codes (clang++): %d passed, %d failed\n", passed, failed);
    return failed == 0 && passed >= 100 ? 0 : 1;
}
