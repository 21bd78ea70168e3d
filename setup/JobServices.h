#pragma once
// The outside services the registration job uses. The application wires the
// real ones once for both front ends; tests hand in doubles.

#include "platform/AppIdRegistry.h"
#include "platform/ClassRegistry.h"
#include "platform/Clock.h"
#include "platform/FolderEnumerator.h"
#include "platform/MessagePump.h"
#include "platform/ProcessStarter.h"
#include "platform/VersionSource.h"

namespace varnel::setup {

struct JobServices {
  IVersionSource& Versions;
  IProcessStarter& Processes;
  IMessagePump& Pump;
  IAppIdRegistry& AppIds;
  IFolderEnumerator& Folders;
  IClassRegistry& Classes;
  IClock& Clock;
};

}  // namespace varnel::setup
