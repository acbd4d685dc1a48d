#!/usr/bin/env tarn
tg_addpoint(1)
