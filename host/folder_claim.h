// TOV's claim on the folder it runs from, for every session of the computer (core/single_instance.h
// says why).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "scoped_win.h"

namespace tov {

// Claims the program's folder; the claim holds while `claim` does. False when a TOV in another
// session holds it already: a mutex of that name exists, or one of another user's that this one
// may not even open. A folder whose identity cannot be read is not claimed, and TOV runs as
// before.
bool claimProgramFolder(ScopedHandle& claim);

// The name of a folder's claim (core/single_instance.h); nothing when its identity cannot be read.
std::optional<std::wstring> folderClaimNameOf(const std::wstring& folder);

}  // namespace tov
