#pragma once
// Deployment values of the CDDB client, named once. The main server answers
// "sites"; the public service's CDDBP port is 8880 nowadays. Tests and
// installations point it elsewhere with the environment variable or with a
// "MainServer" string value in the Servers key, each "host:port".
inline constexpr char kMainServer[] = "gnudb.gnudb.org:8880";
inline constexpr char kMainServerVariable[] = "BRD_CDDB_MAIN_SERVER";
inline constexpr char kMainServerValue[] = "MainServer";
// The example of an HTTP server typed with its CDDB program's path.
inline constexpr char kHttpServerExample[] = "gnudb.gnudb.org/~cddb/cddb.cgi";
// The CDDB service's mailbox for submissions by e-mail.
inline constexpr char kSubmitMailbox[] = "gnudb-submit@gnudb.org";
// Submissions without a mail server go over HTTP to this program on the main
// server's web port: http://<main server>:80/~cddb/submit.cgi.
inline constexpr int kSubmitWebPort = 80;
inline constexpr char kSubmitProgram[] = "/~cddb/submit.cgi";
