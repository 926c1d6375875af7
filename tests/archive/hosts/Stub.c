/* A self-extracting host for the archive tests: a PE image that is only ever loaded as
   data for its string table, never run. */
void Start(void) {}
