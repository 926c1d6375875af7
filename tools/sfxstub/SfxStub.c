/* The stub of 'kvarc sfx': a PE image that carries an archive after its end and says
   where it begins in string resource 1. Readers load it as data only; run, it does
   nothing. */
int Start(void) { return 0; }
