// The program runner of the network commands on the desktop: QProcess, found on the search path.
#pragma once

#include "mainwindow/UNetworkDrive.h"

namespace mainwindow {

class TQtProgramRunner : public TProgramRunner {
public:
    [[nodiscard]] bool Has(const std::string& program) override;
    int Run(const std::vector<std::string>& argv, std::string& errors) override;
};

} // namespace mainwindow
