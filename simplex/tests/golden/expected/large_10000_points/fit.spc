Large job: 10000 points, 10 ba
       10000
