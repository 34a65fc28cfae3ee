// ovm-encrypt: turns a plain data file into the encrypted "data.ovm" that the
// data store reads, or (--decrypt) back into XML text.
//   ovm-encrypt IN.xml OUT.ovm
//   ovm-encrypt --decrypt IN.ovm OUT.xml
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "data/Crypt32.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: ovm-encrypt [--decrypt] IN OUT\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool encrypt = true;
  int first = 1;
  if (argc > 1 && std::string(argv[1]) == "--decrypt") {
    encrypt = false;
    first = 2;
  }
  if (argc - first != 2) return Usage();
  const std::string inName = argv[first];
  const std::string outName = argv[first + 1];

  std::ifstream in(inName, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "ovm-encrypt: cannot read %s\n", inName.c_str());
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    std::fprintf(stderr, "ovm-encrypt: error reading %s\n", inName.c_str());
    return 1;
  }

  orvane::EncryptString(text, orvane::DataFilePassword(), encrypt);

  std::ofstream out(outName, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "ovm-encrypt: cannot write %s\n", outName.c_str());
    return 1;
  }
  return 0;
}
