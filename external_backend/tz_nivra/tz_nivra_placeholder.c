int tz_nivra_placeholder(void) { return 0; }
