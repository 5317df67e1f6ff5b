// The warning of the 32-bit build on 64-bit Windows, shown once.
#pragma once

namespace tov {

// Warns when this is the 32-bit build on 64-bit Windows and the settings file does not say that
// the warning was shown already, then remembers it there. Returns when the user has closed the
// warning; TOV goes on either way.
void warnOfWrongBuildOnce();

}  // namespace tov
