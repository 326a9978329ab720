Macau;MO0001
>
