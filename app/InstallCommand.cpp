#include "app/InstallCommand.h"

#include "install/Drivers.h"
#include "platform/Platform.h"

int InstallSelectedDriver(int choice, const std::string& psipSource,
                          const std::string& twainSource) {
    InstallReport report;
    return InstallSelectedDriver(choice, psipSource, twainSource,
                                 InstallOptions(platform::ShowMessageBox), report);
}

int InstallSelectedDriver(int choice, const std::string& psipSource, const std::string& twainSource,
                          const InstallOptions& options, InstallReport& report) {
    return RunDriver(DriverOfChoice(choice), PlanPurpose::Install,
                     choice == 0 ? psipSource : twainSource, options, report);
}
