# The Debian packages that building, testing and running the server need
# (test.sh and run.sh install the missing ones).
CIMXML_PACKAGES=(
  build-essential cmake ninja-build pkgconf
  libexpat1-dev libgc-dev googletest libgtest-dev libbenchmark-dev
  libboost-dev libssl-dev libcrypt-dev libsqlite3-dev sqlite3 libgoogle-perftools-dev
  libxml2-dev libxml2-utils sblim-wbemcli openssl groff-base
  nlohmann-json3-dev libcli11-dev python3
)
# What the web console's browser test needs: Debian's Chromium (driven by
# playwright-core from npm, tests/browser), and Node.js with npm when the
# machine has no npm of its own.
CIMXML_BROWSER_PACKAGES=(chromium)
CIMXML_NODE_PACKAGES=(nodejs npm)
# What the front end's benchmark (bench/frontend_figures.sh) needs on top:
# wrk, the independent load generator. Not needed by the tests.
CIMXML_BENCH_PACKAGES=(wrk)
# What ./test.sh --fuzz (and CI) needs on top: clang with libFuzzer and the
# sanitizer runtimes, and jq to read the conformance documents' headers.
CIMXML_FUZZ_PACKAGES=(clang libclang-rt-14-dev jq)
