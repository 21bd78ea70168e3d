#pragma once
// The way back: every AppID an earlier report names is given again the
// RunAs it held before that run, through DComPerm as the identity step does.

#include <vector>

#include "setup/RegistrationJob.h"
#include "setup/ReportReader.h"
#include "setup/ServerSteps.h"

namespace varnel::setup {

// What each RunAs before goes back as: none as "Launching User", "Interactive
// User" as itself, any other account as "Este usuario" with `password`. A
// named account without a password fails its server: DComPerm would store an
// empty one. With `whatIf` nothing is started: each result says what is there
// and whether it would change. `stop` is read before each AppID.
JobOutcome Restaurar(ServerSteps& steps, const std::vector<ReportedIdentity>& identities,
                     const String& password, bool whatIf, const IStopSignal& stop,
                     IItemResults& results);

}  // namespace varnel::setup
