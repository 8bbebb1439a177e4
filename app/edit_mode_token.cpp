#include "app/edit_mode_token.h"

CStrToken& CurrentModeToken() {
    static CStrToken token;
    return token;
}
