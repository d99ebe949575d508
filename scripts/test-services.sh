#!/usr/bin/env bash
# Starts or stops the services that the tests use.
#   test-services.sh start DIR   prints the environment (export lines) the tests read
#   test-services.sh stop DIR
# PostgreSQL 15 runs from DIR on 127.0.0.1 on a private port, with password authentication for
# the login the tests use.
set -euo pipefail
action=$1
dir=$2
pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
run_as_postgres() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$action" in
start)
    port=${ORVEL_PG_PORT:-55432}
    user=orvel_test
    password=orvel-test-secret
    data="$dir/pgdata"
    mkdir -p "$data"
    [ "$(id -u)" -eq 0 ] && chown -R postgres: "$dir"
    printf '%s\n' "$password" > "$dir/pwfile"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir/pwfile"
    run_as_postgres "$pgbin/initdb" -D "$data" -U postgres --auth=scram-sha-256 \
        --pwfile="$dir/pwfile" -E UTF8 --no-locale >"$dir/initdb.log" 2>&1
    # Without a port of its own, a run takes the first free one from 55432 on, so that several
    # runs on one machine do not collide.
    tries=1
    [ -z "${ORVEL_PG_PORT:-}" ] && tries=40
    started=0
    for ((i = 0; i < tries; i++)); do
        if ss -Hltn "sport = :$port" 2>/dev/null | grep -q .; then
            port=$((port + 1))
            continue
        fi
        if run_as_postgres "$pgbin/pg_ctl" -D "$data" -l "$dir/server.log" -w \
            -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir" \
            start >/dev/null; then
            started=1
            break
        fi
        port=$((port + 1))
    done
    if [ "$started" -ne 1 ]; then
        echo "PostgreSQL did not start; see $dir/server.log" >&2
        exit 1
    fi
    export PGPASSWORD=$password
    psql=("$pgbin/psql" -h 127.0.0.1 -p "$port" -U postgres -v ON_ERROR_STOP=1 -q)
    "${psql[@]}" -d postgres -c "create role $user login password '$password' superuser" >/dev/null
    echo "export ORVEL_PG_HOST=127.0.0.1"
    echo "export ORVEL_PG_PORT=$port"
    echo "export ORVEL_PG_USER=$user"
    echo "export ORVEL_PG_PASSWORD=$password"
    echo "export ORVEL_PG_BIN=$pgbin"
    ;;
stop)
    if [ -d "$dir/pgdata" ]; then
        run_as_postgres "$pgbin/pg_ctl" -D "$dir/pgdata" -m immediate stop >/dev/null 2>&1 || true
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
