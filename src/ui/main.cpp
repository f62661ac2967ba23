// SPDX-License-Identifier: GPL-3.0-or-later
#include "Unit1.h"
#include "application.h"

#include <memory>

int main(int argc, char** argv)
{
    std::unique_ptr<KelvoranApplication> app;
    {
        const DisplayGuard guard;
        app = std::make_unique<KelvoranApplication>(argc, argv);
    }
    installFrenchTranslations(*app);
    createApplicationWindows();
    Form1->show();
    const int code = KelvoranApplication::exec();
    destroyApplicationWindows();
    return code;
}
