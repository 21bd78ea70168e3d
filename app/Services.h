#pragma once
// The production wiring of every outside service the registration job uses,
// made in this one place for both front ends.

#include <windows.h>

#include "platform/win32/AppIdRegistryWin32.h"
#include "platform/win32/CapturingStarterWin32.h"
#include "platform/win32/ClassRegistryWin32.h"
#include "platform/win32/ClockWin32.h"
#include "platform/win32/CredentialCheckWin32.h"
#include "platform/win32/FolderEnumeratorWin32.h"
#include "platform/win32/LaunchSecretsWin32.h"
#include "platform/win32/PathNamesWin32.h"
#include "platform/win32/ProcessStarterWin32.h"
#include "platform/win32/ProgramFoldersWin32.h"
#include "platform/win32/VersionSourceWin32.h"
#include "setup/JobServices.h"
#include "versioninfo/PeMachine.h"

namespace varnel::app {

class Services {
 public:
  // `owner` owns any box the shell shows when it cannot start a program;
  // `silent` shows none at all (nobody would be there to close it).
  Services(HWND owner, bool silent, IMessagePump& pump)
      : processes_(owner, silent),
        job_{.Versions = versions_,
             .Processes = processes_,
             .Pump = pump,
             .AppIds = appIds_,
             .Folders = folders_,
             .Classes = classes_,
             .Clock = clock_,
             .Tools = tools_,
             .ProgramFolders = programs_,
             .Credentials = logons_,
             .Machines = machines_,
             .Paths = paths_,
             .Secrets = secrets_} {}
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;

  setup::JobServices& Job() { return job_; }

 private:
  win32::VersionSourceWin32 versions_;
  win32::ProcessStarterWin32 processes_;
  win32::AppIdRegistryWin32 appIds_;
  win32::FolderEnumeratorWin32 folders_;
  win32::ClassRegistryWin32 classes_;
  win32::TLocalClock clock_;
  win32::CapturingStarterWin32 tools_;
  win32::ProgramFoldersWin32 programs_;
  win32::CredentialCheckWin32 logons_;
  versioninfo::PeMachineReader machines_;
  win32::PathNamesWin32 paths_;
  win32::LaunchSecretsWin32 secrets_;
  setup::JobServices job_;
};

}  // namespace varnel::app
