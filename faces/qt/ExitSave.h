#pragma once

namespace zrm58 {

// The toolkit ends the process with exit(1) when its connection to the X server breaks (the
// server was killed or crashed, a logout ended it): no close, no session-end query reaches the
// strip. From this call on, an exit while the strip still exists saves its settings first, the
// way the session end does. Normal ends destroy the strip before exit and save nothing here.
void saveSettingsAtAbruptExit();

} // namespace zrm58
