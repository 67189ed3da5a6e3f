// The plug-in's factory, as the engine sees it after dlopen/dlsym.
#ifndef AGENT_AGENTIPV6FACTORY_H_
#define AGENT_AGENTIPV6FACTORY_H_

class CDiscoAgent;

// Creates one agent that the caller owns and deletes through the base
// pointer; null when memory runs out (reported).
extern "C" CDiscoAgent* DAInstantiate();
typedef CDiscoAgent* (*DAInstantiateFn)();

#endif  // AGENT_AGENTIPV6FACTORY_H_
