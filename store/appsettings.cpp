#include "store/appsettings.h"

AppSettingsRecord AppSettings;
