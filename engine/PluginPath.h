// Where the runner finds the agent plug-in when --plugin is not given: beside
// its own executable (a build tree), else in the private library folder of
// an installed tree (<prefix>/bin/ipv6disco, <prefix>/lib/ipv6disco/).
#ifndef ENGINE_PLUGINPATH_H_
#define ENGINE_PLUGINPATH_H_

#include <string>
#include <vector>

// The folders looked in, in order, for a runner whose executable lies in the
// folder `exeDir` (an absolute path without a trailing "/"): `exeDir`
// itself, then "lib/ipv6disco" in the parent of `exeDir`. Pure.
std::vector<std::string> DEPluginFolders(const std::string& exeDir);

// "<folder>/libAgentIPv6.so" for the first of DEPluginFolders(exeDir) that
// holds that file; when none does, the one beside the executable, so that
// the loader's error names the place a build tree keeps it.
std::string DEFindPlugin(const std::string& exeDir);

// DEFindPlugin() for the running executable; "libAgentIPv6.so" (in the
// current folder) when the executable's folder cannot be found.
std::string DEDefaultPluginPath();

#endif  // ENGINE_PLUGINPATH_H_
