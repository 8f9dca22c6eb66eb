#include "tools/jxtool/doctor_command.h"

#include <cstdio>

#include "core/link/port_doctor.h"
#include "core/link/transport.h"

int commandDoctor(const Options& options, const std::vector<std::string>&) {
    KeyerLink link;
    link.trace = options.trace;
    bool anyFailed = false;
    for (const DoctorCheck& check : checkPortHealth(link, options.device)) {
        std::printf("%s\n", doctorLine(check).c_str());
        anyFailed = anyFailed || check.verdict == CheckVerdict::Fail;
    }
    return anyFailed ? 1 : 0;
}
