#!/bin/sh
# Makes a private certificate authority and two server certificates it signed, into FOLDER:
#   ca.pem                    the authority's certificate
#   server.pem, server.key    for localhost and 127.0.0.1
#   other.pem, other.key      for other.example only
# usage: make_test_ca.sh FOLDER
set -eu
cd "$1"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }
key ca.key
openssl req -x509 -new -key ca.key -out ca.pem -days 2 -subj "/CN=Vocara Test CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
server() {
    key "$1.key"
    openssl req -new -key "$1.key" -out "$1.csr" -subj "/CN=$2"
    printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "$3" >"$1.ext"
    openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" \
        -days 2 -extfile "$1.ext" 2>/dev/null
}
server server localhost "DNS:localhost,IP:127.0.0.1"
server other other.example "DNS:other.example"
