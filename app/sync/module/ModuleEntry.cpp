// The sync module's one exported symbol; everything else in it stays private to it.
#include "sync/module/CalDavBackend.h"

extern "C" Q_DECL_EXPORT SyncBackend* QUENBY_SYNC_BACKEND_ENTRY() {
    return new CalDavBackend;
}
