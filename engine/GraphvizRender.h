// Drawing a DOT graph with Graphviz's `dot`, run as a child process (the
// picture of --format svg). dot lays out with clusters and keeps edge
// labels apart, which the spring layouts (neato, sfdp) do not.
#ifndef ENGINE_GRAPHVIZRENDER_H_
#define ENGINE_GRAPHVIZRENDER_H_

#include <string>

// The path of the first executable `dot` in the directories of PATH; ""
// when there is none (or PATH is unset). Reads the file system only.
std::string DEFindGraphviz();

// Runs `program` -Tsvg with `dot` on its standard input and the child's
// standard output in `svg`. False, with `error` a whole phrase (the first
// line of what the program printed on standard error), when it could not
// be started or did not exit with status 0. Blocks until the child ends;
// safe from any thread, but the child inherits the process's open file
// descriptors that are not close-on-exec.
bool DERenderSvg(const std::string& program, const std::string& dot, std::string* svg, std::string* error);

#endif  // ENGINE_GRAPHVIZRENDER_H_
