#include "app/CArchiveApp.h"
#include "base/TimeZoneFile.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    readTimeZoneOnce();
    // The web page view needs its OpenGL contexts shared before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    CArchiveApp::setUpApplication(app);
    CArchiveApp archive(AppState::programFolderFromEnvironment());
    if (!archive.start(QApplication::arguments()))
        return 1;
    return app.exec();
}
