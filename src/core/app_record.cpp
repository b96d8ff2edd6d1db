#include "core/app_record.h"

#include "core/build_constants.h"

namespace pellaro {

AppRecord& App() {
    static AppRecord record = [] {
        AppRecord r;
        r.companyName = WideConstant(ConstantKey::companyName);
        return r;
    }();
    return record;
}

}  // namespace pellaro
