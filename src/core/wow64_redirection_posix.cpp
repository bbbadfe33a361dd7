// Off Windows there is no redirection to switch.
#include "wow64_redirection.h"

namespace kv {

bool Wow64RedirectionOff::begin() { return false; }
void Wow64RedirectionOff::end() {}
Wow64RedirectionPause::Wow64RedirectionPause() {}
Wow64RedirectionPause::~Wow64RedirectionPause() {}

}  // namespace kv
