#include "records.h"

kelvoran::InstallationState installation;
kelvoran::DisplaySettings settings;
