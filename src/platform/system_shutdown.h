#pragma once
// Powering the computer off when the last conversion is done. The runner is handed a
// SystemShutdown; the applications pass LogindShutdown, tests pass RecordingSystemShutdown so no
// test can ever switch the machine off.
#include <string>

namespace vc {

class SystemShutdown {
public:
    virtual ~SystemShutdown() = default;
    // Asks the system to power off. Throws vc::Error with the system's reason when it refuses.
    virtual void PowerOff() = 0;
};

// logind's Manager.PowerOff on the system bus. Whether the user may do it is polkit's decision;
// the call is non-interactive, so a refusal comes back as an error instead of a password prompt.
// With VC_NEVER_POWER_OFF set in the environment (the test suites set it) it refuses instead.
class LogindShutdown final : public SystemShutdown {
public:
    void PowerOff() override;
    // logind's own answer to CanPowerOff: "yes", "no", "challenge", "na", or "" without logind.
    // Only asks; never powers off.
    static std::string CanPowerOff();
};

// Counts the requests instead of acting on them.
class RecordingSystemShutdown final : public SystemShutdown {
public:
    void PowerOff() override { ++calls_; }
    int Calls() const { return calls_; }

private:
    int calls_ = 0;
};

} // namespace vc
