// Operations of the agent that later stages replace. Each is the engine's
// neutral behaviour: no NE is mediated, nothing is collected or built, and
// socket start-up has nothing to do on this platform.
#include "agent/CDiscoIPv6Agent.h"

