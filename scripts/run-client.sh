#!/usr/bin/env bash
# Placeholder until the client exists: says what ./run will do.
echo "run: the client is not built yet; ./run will start catalogue-service and open the client against it."
