#pragma once

// Makes the C library read the system's time zone file once for the whole run. Without TZ it
// looks at /etc/localtime again on every conversion to local time, one stat() per date read from
// the database: a fifth of the time of reading a thousand rows from PostgreSQL. TZ then names that
// same file, so every date keeps the zone it had; a TZ the user set is left as it is. Call it
// first thing in main, before any thread starts: it changes the environment.
void readTimeZoneOnce();
