#include "app/CArchiveApp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    CArchiveApp::setUpApplication(app);
    CArchiveApp archive(AppState::programFolderFromEnvironment());
    if (!archive.start(QApplication::arguments()))
        return 1;
    return app.exec();
}
