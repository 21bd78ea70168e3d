#pragma once
// The outside services the registration job uses. The application wires the
// real ones once for both front ends; tests hand in doubles.

#include "platform/AppIdRegistry.h"
#include "platform/CapturedProcess.h"
#include "platform/ClassRegistry.h"
#include "platform/Clock.h"
#include "platform/CredentialCheck.h"
#include "platform/FolderEnumerator.h"
#include "platform/LaunchSecrets.h"
#include "platform/MessagePump.h"
#include "platform/PathNames.h"
#include "platform/ProcessStarter.h"
#include "platform/ProgramFolders.h"
#include "platform/VersionSource.h"
#include "versioninfo/PeMachine.h"

namespace varnel::setup {

struct JobServices {
  IVersionSource& Versions;
  IProcessStarter& Processes;
  IMessagePump& Pump;
  IAppIdRegistry& AppIds;
  IFolderEnumerator& Folders;
  IClassRegistry& Classes;
  IClock& Clock;
  ICapturingStarter& Tools;               // DComPerm, by full path, its output captured
  IProgramFolders& ProgramFolders;        // where DComPerm is looked for
  ICredentialCheck& Credentials;          // the batch logon of "Este usuario"
  versioninfo::IMachineReader& Machines;  // which registry view a server writes
  IPathNames& Paths;                      // whose file a registration names
  ILaunchSecrets& Secrets;                // a named account's stored launch password
};

}  // namespace varnel::setup
