// varnel-cli: the command-line front end on the same logic as the window.
#include <CLI/CLI.hpp>

int main(int argc, char** argv) {
  CLI::App app{"Varnel: prepares audio and mixed-mode CDs with hidden tracks for recording"};
  app.require_subcommand(0);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
