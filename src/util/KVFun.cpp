#include "KVFun.h"

namespace pelmora {

KVFun& kvfun() {
    // Created on first use and kept for the life of the program; it holds no
    // state, so sharing it between windows is safe.
    static KVFun instance;
    return instance;
}

} // namespace pelmora
