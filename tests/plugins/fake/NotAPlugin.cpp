extern "C" int notAPlugin() {
  return 0;
}
