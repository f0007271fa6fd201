#include "app/ProgramSetup.h"

#include "app/widgets/EnterPressesButton.h"
#include "app/widgets/ModalDialogsStayUp.h"
#include "app/widgets/ProgramIcon.h"
#include "app/widgets/WindowScaler.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

bool loadChineseQtTranslation(QApplication& app)
{
    // Loaded by name, not by locale: the interface is Chinese on every system.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

void setUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("pattern-designer"));
    QApplication::setApplicationVersion(programVersion());
    // The installed entry is org.chenglan.patterndesigner.desktop, named after the program's id.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.chenglan.patterndesigner"));
    QApplication::setWindowIcon(programIcon());
    loadChineseQtTranslation(app);
    app.installEventFilter(new EnterPressesButton(&app));
    app.installEventFilter(new ModalDialogsStayUp(&app));
    // A screen too small for a window shows it whole, scaled down.
    setWindowsFitScreen(true);
}

QString programVersion() { return QStringLiteral(DESIGNER_VERSION); }
