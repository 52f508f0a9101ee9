#include "ModDrug.h"

#include "data/clsYakGa.h"

#include <memory>

namespace pelmora {

namespace {
std::unique_ptr<clsYakGa>& drug() {
    static std::unique_ptr<clsYakGa> d;
    return d;
}
} // namespace

clsYakGa& processDrug(RefConnection& cn) {
    if (!drug()) drug() = std::make_unique<clsYakGa>(cn);
    return *drug();
}

clsYakGa& renewProcessDrug(RefConnection& cn) {
    drug() = std::make_unique<clsYakGa>(cn);
    return *drug();
}

bool hasProcessDrug() {
    return drug() != nullptr;
}

void releaseProcessDrug() {
    drug().reset();
}

} // namespace pelmora
