#include "Unit1.h"
#include "application.h"

int main(int argc, char** argv)
{
    KelvoranApplication app(argc, argv);
    installFrenchTranslations(app);
    createApplicationWindows();
    Form1->show();
    const int code = KelvoranApplication::exec();
    destroyApplicationWindows();
    return code;
}
