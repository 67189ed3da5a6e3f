-- The first shape of the run history: one row per run, its NEs with their
-- record fields, capabilities, local and remote neighbours and error
-- reports, and the run's links. Every id is SQLite's rowid; children point
-- at their parents and go with them.
CREATE TABLE runs (
  id             INTEGER PRIMARY KEY,
  started        TEXT NOT NULL,      -- UTC, ISO 8601 ("2026-12-07T04:10:00Z")
  finished       TEXT NOT NULL,
  arguments      TEXT NOT NULL,      -- the command line after the program name, as a JSON array
  agent          TEXT NOT NULL,      -- the agent's name and description
  processed      INTEGER NOT NULL,
  failed         INTEGER NOT NULL,
  interrupted    INTEGER NOT NULL,
  links          INTEGER NOT NULL
);
CREATE TABLE run_inputs (             -- the NEs as given, in order
  run_id         INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,
  input          TEXT NOT NULL,
  PRIMARY KEY (run_id, position)
);
CREATE TABLE nes (
  id             INTEGER PRIMARY KEY,
  run_id         INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,   -- in the report
  input          TEXT NOT NULL,
  status         TEXT NOT NULL,      -- processed, failed or interrupted
  name           TEXT,               -- "m_Name"
  address        TEXT,               -- "m_UniqueAddress"
  reason         TEXT,               -- why it failed
  hop            INTEGER NOT NULL,   -- crawling: 0 for an NE given
  found_via      TEXT,               -- crawling: the input of the NE it was found through
  found_at       TEXT                -- crawling: the address it was found at
);
CREATE INDEX nes_by_run ON nes(run_id);
CREATE TABLE ne_fields (              -- every field of the NE record, as text
  ne_id          INTEGER NOT NULL REFERENCES nes(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,
  name           TEXT NOT NULL,
  value          TEXT,               -- null: a field without value
  PRIMARY KEY (ne_id, position)
);
CREATE TABLE capabilities (
  ne_id          INTEGER NOT NULL REFERENCES nes(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,
  name           TEXT NOT NULL,      -- "isIPv6Router", ...
  PRIMARY KEY (ne_id, position)
);
CREATE TABLE local_neighbours (
  id             INTEGER PRIMARY KEY,
  ne_id          INTEGER NOT NULL REFERENCES nes(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,
  if_index       INTEGER,
  interface      TEXT,               -- "ipv6IfDescr"
  address        TEXT,               -- short form
  prefix_length  INTEGER,
  prefix         TEXT,
  prefix_name    TEXT,
  dns_name       TEXT,
  scope          INTEGER             -- 0 v4-compatible, 1 link-local, 2 site-local, 3 global
);
CREATE INDEX local_neighbours_by_ne ON local_neighbours(ne_id);
CREATE TABLE remote_neighbours (
  local_id       INTEGER NOT NULL REFERENCES local_neighbours(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,
  address        TEXT,
  mac            TEXT,               -- from the neighbour cache; null when it holds none
  source         TEXT NOT NULL,      -- cache (the neighbour cache holds it) or route (a next hop only)
  dns_name       TEXT,
  PRIMARY KEY (local_id, position)
);
CREATE TABLE links (
  run_id         INTEGER NOT NULL REFERENCES runs(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,
  ne_id          INTEGER NOT NULL REFERENCES nes(id) ON DELETE CASCADE,
  if_index       INTEGER,
  local_address  TEXT,
  remote_address TEXT,
  remote_ne_id   INTEGER REFERENCES nes(id) ON DELETE CASCADE,
  PRIMARY KEY (run_id, position)
);
CREATE TABLE errors (
  ne_id          INTEGER NOT NULL REFERENCES nes(id) ON DELETE CASCADE,
  position       INTEGER NOT NULL,
  code           INTEGER NOT NULL,
  message        TEXT,
  PRIMARY KEY (ne_id, position)
);
