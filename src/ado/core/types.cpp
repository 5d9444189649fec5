#include "ado/types.h"

namespace ado {

bool is_text_type(int type) {
    switch (type) {
        case adChar:
        case adWChar:
        case adVarChar:
        case adLongVarChar:
        case adVarWChar:
        case adLongVarWChar:
            return true;
        default:
            return false;
    }
}

bool is_fixed_text_type(int type) {
    return type == adChar || type == adWChar;
}

// Boolean (11) is left out: the module treats bit columns apart from numbers.
bool is_numeric_type(int type) {
    switch (type) {
        case adSmallInt:
        case adInteger:
        case adSingle:
        case adDouble:
        case adCurrency:
        case adDecimal:
        case adTinyInt:
        case adBigInt:
        case adNumeric:
            return true;
        default:
            return false;
    }
}

bool is_date_type(int type) {
    return type == adDate || type == adDBTimeStamp;
}

}  // namespace ado
